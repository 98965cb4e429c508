#include <android/log.h>
#include <plumix_log.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <string_view>

#include "../common/severities.h"
#include "../switches/property_area.h"
#include "../switches/switch_questions.h"
#include "log_write.h"
#include "process_locks.h"
#include "record_header.h"
#include "render.h"

namespace vendor::korvane::zunt_tools::log {
namespace {

// ANDROID_LOG_UNKNOWN (0) for a severity outside VERBOSE..FATAL: such a record is not written.
int AndroidPriority(LogSeverity severity) {
    const internal::Severity* row = internal::FindSeverity(severity);
    return row != nullptr ? row->priority : ANDROID_LOG_UNKNOWN;
}

// Straight into the stream's buffer: a failure to grow it (memory exhausted) reaches the caller,
// where the stream's own insertion would only set badbit and leave a cut text to be written.
void WriteWhole(std::ostringstream& stream, const char* data, size_t size) {
    const auto wanted = static_cast<std::streamsize>(size);
    if (stream.rdbuf()->sputn(data, wanted) != wanted) throw std::bad_alloc();
}

}  // namespace

// Here rather than in each caller, so that one generation serves the whole process.
std::atomic<uint32_t> internal::g_rate_limit_generation{0};

namespace internal {
namespace {

// The destructor's gate, without a record, and then liblog's own filter, which the write meets:
// what the macros ask before they build one. Called directly, not through the export table.
bool IsLoggableNow(LogSeverity severity, std::string_view module) {
    const ErrnoKeeper errno_keeper;
    const int priority = AndroidPriority(severity);
    if (priority == ANDROID_LOG_UNKNOWN) return false;
    if (AskSwitches(severity, module.data(), module.size()) != SwitchVerdict::kPass) return false;
    return PassesPlatformFilter(priority, module.data(), module.size());
}

}  // namespace
}  // namespace internal

LogMessage::LogMessage(LogSeverity severity, const std::string& module,
                       const std::string& className, const std::string& funcName) {
    const internal::ErrnoKeeper errno_keeper;
    // Put together before the lock is taken, so that the lock covers a single write.
    const internal::RecordHeader header(className, funcName);
    std::lock_guard<internal::ProcessLock> guard(internal::header_lock);
    severity_ = severity;
    module_ = module;
    WriteWhole(stream_, header.data(), header.size());
}

LogMessage::LogMessage(LogSeverity severity, const std::string& module, const std::string& funcName)
    : LogMessage(severity, module, std::string(), funcName) {}

// Delegating makes the record fully constructed before rendering starts, so a failure while
// rendering still runs the destructor and emits the header-only record.
LogMessage::LogMessage(LogSeverity severity, const std::string& module, const std::string& funcName,
                       const char* buffer, int length)
    : LogMessage(severity, module, std::string(), funcName) {
    const internal::ErrnoKeeper errno_keeper;
    if (buffer == nullptr || length < 1) return;
    // Printable bytes render as themselves, so they go into the stream without a rendered copy.
    const auto size = static_cast<size_t>(length);
    std::string_view text(buffer, size);
    std::string rendered;
    if (!internal::RendersAsItself(buffer, size)) {
        internal::AppendRendered(buffer, size, rendered);
        text = rendered;
    }
    // The write may fail after part of the rendering went in; the record then goes out with its
    // header alone. Restoring the shorter header into the same string needs no allocation.
    const std::string header = stream_.str();
    try {
        WriteWhole(stream_, text.data(), text.size());
    } catch (...) {
        stream_.str(header);
        throw;
    }
}

LogMessage::~LogMessage() noexcept {
    const internal::ErrnoKeeper errno_keeper;
    try {
        if (internal::AskSwitches(severity_, module_) != internal::SwitchVerdict::kPass) return;
        // Taken once: the length check and the write see the same text.
        const std::string text = stream_.str();
        if (!internal::IsShortEnough(text.size())) return;
        const int priority = AndroidPriority(severity_);
        if (priority == ANDROID_LOG_UNKNOWN) return;
        internal::WriteRecord(priority, module_, text.c_str());
    } catch (...) {
        // Logging must never take its caller down: a record that cannot be built is dropped.
    }
}

std::ostringstream& LogMessage::stream() {
    return stream_;
}

std::string LogMessage::ToString() {
    const internal::ErrnoKeeper errno_keeper;
    return stream_.str();
}

bool IsLoggable(LogSeverity severity, const std::string& module) {
    return internal::IsLoggableNow(severity, module);
}

bool IsLoggable(LogSeverity severity, std::string_view module) {
    return internal::IsLoggableNow(severity, module);
}

namespace internal {

bool IsLoggableAt(SiteVerdict& site, LogSeverity severity, std::string_view module) {
    // Without the area's serial, nothing tells when a verdict goes stale.
    if (!HasPropertyArea()) return IsLoggableNow(severity, module);
    const ErrnoKeeper errno_keeper;
    const int priority = AndroidPriority(severity);
    if (priority == ANDROID_LOG_UNKNOWN) return false;
    // Read before the switches: a change after it shows as another serial at the next record.
    const uint64_t dropped =
            SiteVerdict::DroppedAt(__system_property_area_serial(), severity, module.data());
    const uint64_t passed = dropped | SiteVerdict::kPasses;
    if (site.Load() != passed) {
        const bool passes =
                AskSwitches(severity, module.data(), module.size()) == SwitchVerdict::kPass;
        site.Store(passes ? passed : dropped);
        if (!passes) return false;
    }
    // The process's minimum priority is not a property: asked every time.
    return PassesPlatformFilter(priority, module.data(), module.size());
}

}  // namespace internal

}  // namespace vendor::korvane::zunt_tools::log
