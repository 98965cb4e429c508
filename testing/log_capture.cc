#include <android/log.h>

#include <mutex>

#include "plumix_log_testing.h"

namespace vendor::korvane::zunt_tools::log {
namespace testing {
namespace {

// liblog calls its logger on whichever thread writes, so the capture in force and every
// capture's records are guarded by one lock. Never destroyed: a thread may log during exit.
std::mutex& CaptureLock() {
    static auto* lock = new std::mutex;
    return *lock;
}

// The records of the innermost live capture; null when none lives.
std::vector<CapturedRecord>* g_active_records = nullptr;

#ifdef __ANDROID__
const auto kDefaultLogger = &__android_log_logd_logger;
#else
const auto kDefaultLogger = &__android_log_stderr_logger;
#endif

// False when no capture lives: a record that raced a capture's end.
bool Capture(int priority, const char* tag, const char* text) {
    std::lock_guard<std::mutex> guard(CaptureLock());
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

}  // namespace

ScopedLogCapture::ScopedLogCapture() {
    {
        std::lock_guard<std::mutex> guard(CaptureLock());
        enclosing_ = g_active_records;
        g_active_records = &records_;
    }
    __android_log_set_logger(CaptureLoggerFor(&__android_log_set_logger));
    previous_minimum_priority_ = __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
}

ScopedLogCapture::~ScopedLogCapture() {
    __android_log_set_minimum_priority(previous_minimum_priority_);
    {
        std::lock_guard<std::mutex> guard(CaptureLock());
        g_active_records = enclosing_;
    }
    if (enclosing_ == nullptr) __android_log_set_logger(kDefaultLogger);
}

std::vector<CapturedRecord> ScopedLogCapture::Records() const {
    std::lock_guard<std::mutex> guard(CaptureLock());
    return records_;
}

void ScopedLogCapture::Clear() {
    std::lock_guard<std::mutex> guard(CaptureLock());
    records_.clear();
}

}  // namespace testing
}  // namespace vendor::korvane::zunt_tools::log
