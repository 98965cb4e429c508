#include "log_write.h"

#include <android/log.h>

#include <cstring>
#include <string_view>

#include "process_locks.h"
#include "tag.h"

#if __has_include(<log/log_read.h>)
#include <log/log_read.h>
#endif

#ifndef LOGGER_ENTRY_MAX_PAYLOAD
#define LOGGER_ENTRY_MAX_PAYLOAD 4068
#endif

namespace vendor::korvane::zunt_tools::log::internal {
namespace {

constexpr size_t kMaxPayload = LOGGER_ENTRY_MAX_PAYLOAD;
// The priority byte and the NULs after the tag and the text.
constexpr size_t kPayloadOverhead = 3;
static_assert(kMaxTagLength + kPayloadOverhead < kMaxPayload, "a record must have room for text");

// Whether this thread is writing a split record already: a logger of the process's own may write
// a record of its own from inside, and must not wait for the lock its own thread holds.
thread_local bool t_writing_split_record = false;

// The split record lock, taken unless this thread holds it already.
class SplitRecordGuard {
  public:
    SplitRecordGuard() : nested_(t_writing_split_record) {
        if (nested_) return;
        split_record_lock.lock();
        t_writing_split_record = true;
    }
    ~SplitRecordGuard() {
        if (nested_) return;
        t_writing_split_record = false;
        split_record_lock.unlock();
    }
    SplitRecordGuard(const SplitRecordGuard&) = delete;
    SplitRecordGuard& operator=(const SplitRecordGuard&) = delete;

  private:
    const bool nested_;
};

size_t TextLimit(const WrittenTag& tag) {
    return kMaxPayload - kPayloadOverhead - tag.size();
}

// The length of the first record's text when text is longer than limit.
size_t FirstPieceLength(std::string_view text, size_t limit) {
    const size_t line_end = text.rfind('\n', limit - 1);
    if (line_end != std::string_view::npos) return line_end + 1;
    return Utf8CutBefore(text, limit);
}

void WritePieces(int priority, const char* tag, std::string_view rest, size_t limit) {
    const SplitRecordGuard guard;
    // Each piece is copied out to end in a NUL; the buffer on the stack cannot fail midway.
    char piece[kMaxPayload];
    while (rest.size() > limit) {
        const size_t length = FirstPieceLength(rest, limit);
        std::memcpy(piece, rest.data(), length);
        piece[length] = '\0';
        __android_log_write(priority, tag, piece);
        rest.remove_prefix(length);
    }
    __android_log_write(priority, tag, rest.data());
}

}  // namespace

size_t RecordTextLimit(const std::string& module) {
    return TextLimit(WrittenTag(module));
}

bool PassesPlatformFilter(int priority, const char* module, size_t size) {
    return __android_log_is_loggable(priority, WrittenTag(module, size).c_str(),
                                     ANDROID_LOG_VERBOSE) != 0;
}

void WriteRecord(int priority, const std::string& module, const char* text) {
    const WrittenTag tag(module);
    const size_t limit = TextLimit(tag);
    const std::string_view whole(text);
    if (whole.size() <= limit) {
        __android_log_write(priority, tag.c_str(), text);
        return;
    }
    WritePieces(priority, tag.c_str(), whole, limit);
}

}  // namespace vendor::korvane::zunt_tools::log::internal
