#include "platform_filter.h"

#include <android-base/properties.h>

#include <cctype>
#include <string>

#include "../src/common/severities.h"
#include "../src/message/tag.h"
#include "switch_view.h"
#include "switches.h"

namespace plumix_tool {
namespace {

namespace log = vendor::korvane::zunt_tools::log;

#ifdef __ANDROID__
// The letter liblog's tag properties take for a severity's priority.
char PriorityLetter(log::LogSeverity severity) {
    const log::internal::Severity* row = log::internal::FindSeverity(severity);
    return row != nullptr ? row->tag_letter : 'V';
}
#endif

}  // namespace

std::string PlatformFilterReason(log::LogSeverity severity, const std::string& module) {
#ifdef __ANDROID__
    // liblog takes the first of these that holds a priority letter: the tag's own before the
    // global ones, the persistent one of each pair first.
    const std::string tag = log::internal::WrittenTag(module).c_str();
    const std::string keys[] = {"persist.log.tag." + tag, "log.tag." + tag, "persist.log.tag",
                                "log.tag"};
    std::string settings;
    bool persistent_tag_set = false;
    for (const std::string& key : keys) {
        const std::string value = android::base::GetProperty(key, "");
        if (value.empty()) continue;
        settings += (settings.empty() ? " (" : ", ") + key + " = " + Printable(value);
        persistent_tag_set = persistent_tag_set || &key == &keys[0];
    }
    if (!settings.empty()) settings += ')';
    return "liblog holds back " + log::internal::SeverityName(severity) + " records of tag " +
           Printable(tag) + settings + "; setprop " + keys[persistent_tag_set ? 0 : 1] + ' ' +
           PriorityLetter(severity);
#else
    (void)module;
    const std::string name = log::internal::SeverityName(severity);
    return name +
           " is below liblog's minimum priority, which on a host is INFO unless the program "
           "lowers it (__android_log_set_minimum_priority); run with ANDROID_LOG_TAGS='*:" +
           static_cast<char>(std::tolower(static_cast<unsigned char>(name[0]))) +
           "' in the environment to see " + name + " records";
#endif
}

}  // namespace plumix_tool
