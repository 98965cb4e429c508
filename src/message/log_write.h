// Hands a record's text to liblog so that it arrives whole however long it is, and asks liblog
// whether it would. Internal.
#pragma once

#include <cstddef>
#include <string>

namespace vendor::korvane::zunt_tools::log::internal {

// How many bytes of text one log record of this module carries whole: the log daemon keeps a
// priority byte, the tag and its NUL, and the text and its NUL in one payload, and trims the rest.
size_t RecordTextLimit(const std::string& module);

// Whether liblog lets a record of this priority and module through: the question
// __android_log_write asks before it writes, about the tag the record is written with. On a
// device the tag's log.tag and persist.log.tag properties and the process's minimum priority
// answer it; on a host the minimum priority alone, INFO unless the program lowers it.
bool PassesPlatformFilter(int priority, const char* module, size_t size);

// Writes text, up to its first NUL, as one record of this priority with the module's tag, or,
// when it is longer than a record carries, as consecutive records that joined in order are
// exactly the text, all written by the calling thread (so with its pid and tid), with no other
// split record of the process between them; other records may come between. Each but the last ends
// after its last line end within the limit, or else at the limit, moved back so that no UTF-8
// sequence is cut.
void WriteRecord(int priority, const std::string& module, const char* text);

}  // namespace vendor::korvane::zunt_tools::log::internal
