// Test support: the process's own in-memory property area. Linking tests/property_area.cc into a
// binary defines bionic's four property functions, so that the library reads its switches through
// them as on a device, and android::base::SetProperty, so that tests set the area as they set
// libbase's store elsewhere. Without it these functions are null (weak), and reads go to libbase.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace plumix_test {

// Calls of __system_property_find and of __system_property_read_callback so far, on any thread.
[[gnu::weak]] size_t PropertyLookups();
[[gnu::weak]] size_t PropertyValueReads();

// Sets a property, creating it even with an empty value; android::base::SetProperty leaves an
// unset property unset when given an empty value, as a host does.
[[gnu::weak]] void SetAreaProperty(const std::string& key, const std::string& value);

// The keys this thread looked up or asked the serial of, in order, since the last call; the first
// call starts recording them.
[[gnu::weak]] std::vector<std::string> TakeConsultedKeys();

}  // namespace plumix_test
