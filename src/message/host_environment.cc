// What a host process takes from its environment as the library loads: switch settings, which a
// host has no property service to hold, and the platform's own convention for liblog's
// verbosity. A device has properties for both, the one source there, so it reads neither. Not on
// the record path: records read the switches as they stand, so one written before this runs is
// written as it would be without it.
#ifndef __ANDROID__

#include <android-base/properties.h>
#include <android/log.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "property_area.h"
#include "switch_settings.h"

namespace vendor::korvane::zunt_tools::log::internal {
namespace {

void Complain(const char* variable, const std::string& problem) {
    std::fprintf(stderr, "libplumix_log: %s: %s\n", variable, problem.c_str());
}

// Where the switches are read from the property area, the properties are the platform's own, and
// the environment does not speak for them.
void ApplySwitchSettings() {
    const char* text = std::getenv(kSwitchesVariable);
    if (text == nullptr || HasPropertyArea()) return;
    std::vector<std::string> problems;
    for (const SwitchSetting& setting : ParseSwitchSettings(text, &problems)) {
        android::base::SetProperty(setting.key, setting.value);
    }
    for (const std::string& problem : problems) Complain(kSwitchesVariable, problem);
}

// An entry of ANDROID_LOG_TAGS as libbase's InitLogging takes it: "*:" and a lower-case
// priority letter; 's' does not silence FATAL there either.
std::optional<android_LogPriority> PriorityOfTagsEntry(std::string_view entry) {
    if (entry.size() != 3 || entry.substr(0, 2) != "*:") return std::nullopt;
    switch (entry[2]) {
        case 'v':
            return ANDROID_LOG_VERBOSE;
        case 'd':
            return ANDROID_LOG_DEBUG;
        case 'i':
            return ANDROID_LOG_INFO;
        case 'w':
            return ANDROID_LOG_WARN;
        case 'e':
            return ANDROID_LOG_ERROR;
        case 'f':
        case 's':
            return ANDROID_LOG_FATAL;
    }
    return std::nullopt;
}

// Entries separated by blanks, the last that holds deciding; one of another form is named and left
// out. Unset, the program's own minimum priority stays its own.
void ApplyLogTags() {
    constexpr char kVariable[] = "ANDROID_LOG_TAGS";
    const char* tags = std::getenv(kVariable);
    if (tags == nullptr) return;
    std::optional<android_LogPriority> priority;
    const std::string_view text = tags;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find(' ', at), text.size());
        const std::string_view entry = text.substr(at, end - at);
        at = end + 1;
        if (entry.empty()) continue;
        if (const auto entry_priority = PriorityOfTagsEntry(entry)) {
            priority = entry_priority;
        } else {
            Complain(kVariable, "'" + std::string(entry) +
                                        "' is not *:v, *:d, *:i, *:w, *:e, "
                                        "*:f or *:s; left out");
        }
    }
    if (priority) __android_log_set_minimum_priority(*priority);
}

[[gnu::constructor]] void ReadHostEnvironment() {
    // Nothing may escape into the loader; without memory the environment is left unread.
    try {
        ApplySwitchSettings();
        ApplyLogTags();
    } catch (const std::exception&) {
    }
}

}  // namespace
}  // namespace vendor::korvane::zunt_tools::log::internal

#endif  // __ANDROID__
