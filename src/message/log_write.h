// Hands a record's text to liblog so that it arrives whole however long it is. Internal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {

// What RecordTextLimit answers when the tag alone fills a record: no length helps then.
constexpr size_t kNoRecordLimit = SIZE_MAX;

// How many bytes of text one log record with this tag carries whole: the log daemon keeps a
// priority byte, the tag and its NUL, and the text and its NUL in one payload, and trims the rest.
// kNoRecordLimit when the tag leaves no room for any text.
size_t RecordTextLimit(const char* tag);

// Writes text, up to its first NUL, as one record of this priority and tag, or, when it is longer
// than a record carries, as consecutive records that joined in order are exactly the text. Each
// but the last ends after its last line end within the limit, or else at the limit, moved back so
// that no UTF-8 sequence is cut. With a tag too long for any text, the text goes whole in one
// record: nothing split off could arrive either, and a logger of the process's own still gets it.
void WriteRecord(int priority, const char* tag, const char* text);

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
