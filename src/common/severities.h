// The severities, each described once: its name, the Android priority its records are written
// with, and the letter liblog's tag properties take for that priority. Internal.
#pragma once

#include <android/log.h>
#include <plumix_log.h>

#include <iterator>

namespace vendor::korvane::zunt_tools::log::internal {

struct Severity {
    LogSeverity severity;
    const char* name;
    int priority;
    // What log.tag.TAG and persist.log.tag.TAG are set to for this priority to pass.
    char tag_letter;
};

inline constexpr Severity kSeverities[] = {
        {VERBOSE, "VERBOSE", ANDROID_LOG_VERBOSE, 'V'},
        {DEBUG, "DEBUG", ANDROID_LOG_DEBUG, 'D'},
        {INFO, "INFO", ANDROID_LOG_INFO, 'I'},
        {WARNING, "WARNING", ANDROID_LOG_WARN, 'W'},
        {ERROR, "ERROR", ANDROID_LOG_ERROR, 'E'},
        {CRITICAL, "CRITICAL", ANDROID_LOG_ERROR, 'E'},
        {FATAL, "FATAL", ANDROID_LOG_FATAL, 'F'},
};

constexpr bool IsEverySeverityInItsRow() {
    for (size_t i = 0; i < std::size(kSeverities); ++i) {
        if (kSeverities[i].severity != static_cast<int>(i)) return false;
    }
    return std::size(kSeverities) == size_t{FATAL} + 1;
}
static_assert(IsEverySeverityInItsRow(), "the table must hold VERBOSE..FATAL, each at its number");

// The severity's row; null outside VERBOSE..FATAL.
constexpr const Severity* FindSeverity(int severity) {
    if (severity < VERBOSE || severity > FATAL) return nullptr;
    return &kSeverities[severity];
}

}  // namespace vendor::korvane::zunt_tools::log::internal
