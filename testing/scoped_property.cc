#include <android-base/properties.h>

#include "plumix_log_testing.h"

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {
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
}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
