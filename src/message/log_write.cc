#include "log_write.h"

#include <android/log.h>

#include <cstring>
#include <string_view>

#if __has_include(<log/log_read.h>)
#include <log/log_read.h>
#endif

#ifndef LOGGER_ENTRY_MAX_PAYLOAD
#define LOGGER_ENTRY_MAX_PAYLOAD 4068
#endif

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {
namespace {

constexpr size_t kMaxPayload = LOGGER_ENTRY_MAX_PAYLOAD;
// The priority byte and the NULs after the tag and the text.
constexpr size_t kPayloadOverhead = 3;
// A UTF-8 sequence is a first byte and at most three continuation bytes.
constexpr size_t kMostContinuationBytes = 3;

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The length of the first record's text when text is longer than limit.
size_t FirstPieceLength(std::string_view text, size_t limit) {
    const size_t line_end = text.rfind('\n', limit - 1);
    if (line_end != std::string_view::npos) return line_end + 1;
    for (size_t cut = limit; cut > 0 && limit - cut <= kMostContinuationBytes; --cut) {
        if (!IsContinuationByte(text[cut])) return cut;
    }
    // Not UTF-8 around the limit: any cut is as good as another.
    return limit;
}

}  // namespace

size_t RecordTextLimit(const char* tag) {
    const size_t used = kPayloadOverhead + std::strlen(tag);
    return used < kMaxPayload ? kMaxPayload - used : kNoRecordLimit;
}

void WriteRecord(int priority, const char* tag, const char* text) {
    const size_t limit = RecordTextLimit(tag);
    std::string_view rest(text);
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

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
