// The C library's own property area, read without copying a value unless its serial changed: on
// bionic these four functions are always there. Elsewhere they are referred to weakly, so that a
// process which defines all four (a test's in-memory area) is read through them as a device is.
// Internal.
#pragma once

#if defined(__BIONIC__)
#include <sys/system_properties.h>
#else
#include <cstdint>

extern "C" {
struct prop_info;
[[gnu::weak]] const prop_info* __system_property_find(const char* name);
[[gnu::weak]] uint32_t __system_property_serial(const prop_info* pi);
[[gnu::weak]] uint32_t __system_property_area_serial();
[[gnu::weak]] void __system_property_read_callback(const prop_info* pi,
                                                   void (*callback)(void* cookie, const char* name,
                                                                    const char* value,
                                                                    uint32_t serial),
                                                   void* cookie);
}
#endif

namespace vendor::korvane::zunt_tools::log::internal {

inline bool HasPropertyArea() {
#if defined(__BIONIC__)
    return true;
#else
    return __system_property_find != nullptr && __system_property_serial != nullptr &&
           __system_property_area_serial != nullptr && __system_property_read_callback != nullptr;
#endif
}

}  // namespace vendor::korvane::zunt_tools::log::internal
