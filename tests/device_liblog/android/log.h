// The part of <android/log.h> the capture helper uses, as a device's liblog declares it from API
// 30 on: a workstation's Debian liblog has the older logger form, so this stands in for the
// device's header when make device-check compiles the helper's device side.
#pragma once

#include <stddef.h>
#include <stdint.h>

extern "C" {

typedef enum android_LogPriority {
    ANDROID_LOG_UNKNOWN = 0,
    ANDROID_LOG_DEFAULT,
    ANDROID_LOG_VERBOSE,
    ANDROID_LOG_DEBUG,
    ANDROID_LOG_INFO,
    ANDROID_LOG_WARN,
    ANDROID_LOG_ERROR,
    ANDROID_LOG_FATAL,
    ANDROID_LOG_SILENT,
} android_LogPriority;

struct __android_log_message {
    size_t struct_size;
    int32_t buffer_id;
    int32_t priority;
    const char* tag;
    const char* file;
    uint32_t line;
    const char* message;
};

typedef void (*__android_logger_function)(const struct __android_log_message* log_message);

void __android_log_set_logger(__android_logger_function logger);
void __android_log_logd_logger(const struct __android_log_message* log_message);
void __android_log_stderr_logger(const struct __android_log_message* log_message);
int32_t __android_log_set_minimum_priority(int32_t priority);
int32_t __android_log_get_minimum_priority(void);

}  // extern "C"
