#include <android/log.h>
#include <pthread.h>

#include <cstdio>
#include <iterator>
#include <mutex>
#include <ostream>

#include "plumix_log_testing.h"

namespace vendor::korvane::zunt_tools::log {
namespace testing {
namespace {

// liblog calls its logger on whichever thread writes, so the capture in force and every
// capture's records are guarded by one lock. Constant-initialised and never destroyed: a thread
// may log during exit.
struct CaptureLock {
    void lock() { pthread_mutex_lock(&mutex); }
    void unlock() { pthread_mutex_unlock(&mutex); }

    pthread_mutex_t mutex;
} g_capture_lock = {PTHREAD_MUTEX_INITIALIZER};

using CaptureGuard = std::lock_guard<CaptureLock>;

// The records of the innermost live capture; null when none lives.
std::vector<CapturedRecord>* g_active_records = nullptr;

// A forked child has only the thread that forked: another may have held the lock, half way
// through a capture's records. Taking the lock before the fork instead could deadlock with a
// thread that holds the library's split record lock and waits for this one. So the child starts
// with a lock of its own and no capture.
void StartChildWithoutCapture() {
    pthread_mutex_init(&g_capture_lock.mutex, nullptr);
    g_active_records = nullptr;
}

[[maybe_unused]] const int fork_handler =
        pthread_atfork(nullptr, nullptr, StartChildWithoutCapture);

#ifdef __ANDROID__
const auto kDefaultLogger = &__android_log_logd_logger;
#else
const auto kDefaultLogger = &__android_log_stderr_logger;
#endif

// False when no capture lives: a record that raced a capture's end.
bool Capture(int priority, const char* tag, const char* text) {
    const CaptureGuard guard(g_capture_lock);
    if (g_active_records == nullptr) return false;
    g_active_records->push_back({priority, tag != nullptr ? tag : "", text});
    return true;
}

// A device's liblog (API 30 on) hands a logger one message struct; Debian's host build of liblog
// hands it the record's data and the text apart. Overloaded on the form this liblog's
// __android_log_set_logger takes, so exactly one of them applies to the header at hand.
template <typename Message>
void CaptureMessage(const Message* message) {
    if (!Capture(message->priority, message->tag, message->message)) kDefaultLogger(message);
}

template <typename Data>
void CaptureData(const Data* data, const char* text) {
    if (!Capture(data->priority, data->tag, text)) kDefaultLogger(data, text);
}

template <typename Message>
auto CaptureLoggerFor(void (*)(void (*)(const Message*))) -> void (*)(const Message*) {
    return &CaptureMessage<Message>;
}

template <typename Data>
auto CaptureLoggerFor(void (*)(void (*)(const Data*, const char*)))
        -> void (*)(const Data*, const char*) {
    return &CaptureData<Data>;
}

// As a C++ string literal, so that a failing expectation shows what to paste into it: quotes,
// backslashes and control codes escaped, the rest (UTF-8 included) as it is.
void WriteQuoted(std::ostream& out, const std::string& text) {
    out << '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out << '\\' << c;
        } else if (c == '\n') {
            out << "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof(escaped), "\\%03o", byte);
            out << escaped;
        } else {
            out << c;
        }
    }
    out << '"';
}

}  // namespace

ScopedLogCapture::ScopedLogCapture() {
    {
        const CaptureGuard guard(g_capture_lock);
        enclosing_ = g_active_records;
        g_active_records = &records_;
    }
    internal::g_rate_limit_generation.fetch_add(1, std::memory_order_relaxed);
    __android_log_set_logger(CaptureLoggerFor(&__android_log_set_logger));
    previous_minimum_priority_ = __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
}

ScopedLogCapture::~ScopedLogCapture() {
    __android_log_set_minimum_priority(previous_minimum_priority_);
    {
        const CaptureGuard guard(g_capture_lock);
        // Not so in a forked child, which began without the captures it inherited.
        if (g_active_records == &records_) g_active_records = enclosing_;
    }
    if (enclosing_ == nullptr) __android_log_set_logger(kDefaultLogger);
}

std::vector<CapturedRecord> ScopedLogCapture::Records() const {
    const CaptureGuard guard(g_capture_lock);
    return records_;
}

void ScopedLogCapture::Clear() {
    const CaptureGuard guard(g_capture_lock);
    records_.clear();
}

std::ostream& operator<<(std::ostream& out, const CapturedRecord& record) {
    static constexpr const char* kPriorityNames[] = {
            "ANDROID_LOG_UNKNOWN", "ANDROID_LOG_DEFAULT", "ANDROID_LOG_VERBOSE",
            "ANDROID_LOG_DEBUG",   "ANDROID_LOG_INFO",    "ANDROID_LOG_WARN",
            "ANDROID_LOG_ERROR",   "ANDROID_LOG_FATAL",   "ANDROID_LOG_SILENT"};
    const auto index = static_cast<size_t>(record.priority);
    out << '{';
    if (index < std::size(kPriorityNames)) {
        out << kPriorityNames[index];
    } else {
        out << record.priority;
    }
    out << ", ";
    WriteQuoted(out, record.tag);
    out << ", ";
    WriteQuoted(out, record.text);
    return out << '}';
}

}  // namespace testing
}  // namespace vendor::korvane::zunt_tools::log
