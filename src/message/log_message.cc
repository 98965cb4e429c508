#include <android/log.h>
#include <plumix_log.h>

#include <cstdint>
#include <limits>
#include <mutex>

#include "../controller/log_controller.h"
#include "render.h"

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {
namespace {

// Never destroyed: records may still be built on other threads while the process exits.
std::mutex& HeaderLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

// ANDROID_LOG_UNKNOWN (0) for a severity outside VERBOSE..FATAL: such a record is not written.
int AndroidPriority(LogSeverity severity) {
    static constexpr int kPriorities[] = {
            ANDROID_LOG_VERBOSE, ANDROID_LOG_DEBUG, ANDROID_LOG_INFO,  ANDROID_LOG_WARN,
            ANDROID_LOG_ERROR,   ANDROID_LOG_ERROR, ANDROID_LOG_FATAL,
    };
    const auto index = static_cast<uint32_t>(severity);
    return index < std::size(kPriorities) ? kPriorities[index] : ANDROID_LOG_UNKNOWN;
}

// A text of 2 GiB or more must still fail a size limit rather than wrap negative and pass it.
int SaturatedLength(size_t length) {
    constexpr size_t kMax = std::numeric_limits<int32_t>::max();
    return static_cast<int>(length < kMax ? length : kMax);
}

// ERROR and above skip the module and severity filters, never the on switch.
bool PassesGate(LogController& controller, LogSeverity severity, const std::string& module) {
    if (controller.logOn() && severity > WARNING) return true;
    return controller.logModule(module) && controller.logOn() && controller.logSeverity(severity);
}

}  // namespace

LogMessage::LogMessage(LogSeverity severity, const std::string& module,
                       const std::string& className, const std::string& funcName) {
    std::lock_guard<std::mutex> guard(HeaderLock());
    severity_ = severity;
    module_ = module;
    stream_ << '<';
    if (!className.empty()) stream_ << className << "::";
    if (!funcName.empty()) stream_ << funcName;
    stream_ << '>';
}

LogMessage::LogMessage(LogSeverity severity, const std::string& module, const std::string& funcName)
    : LogMessage(severity, module, std::string(), funcName) {}

// Delegating makes the record fully constructed before rendering starts, so a failure while
// rendering still runs the destructor and emits the header-only record.
LogMessage::LogMessage(LogSeverity severity, const std::string& module, const std::string& funcName,
                       const char* buffer, int length)
    : LogMessage(severity, module, std::string(), funcName) {
    if (buffer == nullptr || length < 1) return;
    std::string rendered;
    AppendRendered(buffer, static_cast<size_t>(length), rendered);
    stream_.write(rendered.data(), static_cast<std::streamsize>(rendered.size()));
}

LogMessage::~LogMessage() noexcept {
    try {
        LogController& controller = LogController::Instance();
        if (!PassesGate(controller, severity_, module_)) return;
        // Taken once: the length check and the write see the same text.
        const std::string text = stream_.str();
        if (!controller.logSize(SaturatedLength(text.size()))) return;
        const int priority = AndroidPriority(severity_);
        if (priority == ANDROID_LOG_UNKNOWN) return;
        __android_log_print(priority, module_.c_str(), "%s", text.c_str());
    } catch (...) {
        // Logging must never take its caller down: a record that cannot be built is dropped.
    }
}

std::ostringstream& LogMessage::stream() {
    return stream_;
}

std::string LogMessage::ToString() {
    return stream_.str();
}

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
