#include <android-base/properties.h>

#include "plumix_log_testing.h"

namespace vendor::korvane::zunt_tools::log {
namespace testing {

ScopedProperty::ScopedProperty(const std::string& key, const std::string& value)
    : key_(key),
      previous_(android::base::GetProperty(key, "")),
      is_set_(android::base::SetProperty(key, value)) {}

ScopedProperty::~ScopedProperty() {
    if (is_set_) android::base::SetProperty(key_, previous_);
}

bool ScopedProperty::IsSet() const {
    return is_set_;
}

}  // namespace testing
}  // namespace vendor::korvane::zunt_tools::log
