#include <plumix_log.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "../switches/switch_questions.h"
#include "log_write.h"
#include "render.h"

using vendor::korvane::zunt_tools::log::DEBUG;
using vendor::korvane::zunt_tools::log::INFO;
using vendor::korvane::zunt_tools::log::LogMessage;
using vendor::korvane::zunt_tools::log::internal::AreDumpsOnFor;
using vendor::korvane::zunt_tools::log::internal::BufferSize;
using vendor::korvane::zunt_tools::log::internal::BytesFittingIn;
using vendor::korvane::zunt_tools::log::internal::ErrnoKeeper;
using vendor::korvane::zunt_tools::log::internal::RecordTextLimit;

namespace {

// The longest text a chunk record may have: shorter than the buffer size, which 0 leaves open,
// and never longer than one log record carries, so that no chunk is split on its way.
size_t LongestChunkRecord(int32_t size, size_t record_limit) {
    if (size == 0) return record_limit;
    return std::min(static_cast<size_t>(size) - 1, record_limit);
}

// How many bytes from data the next chunk record holds, or 0 when not even one fits. A chunk
// takes as many whole bytes as keep its record, header included, within longest.
size_t NextChunk(const char* data, size_t remaining, size_t header_length, int32_t size,
                 size_t record_limit) {
    if (size < 0) return 0;
    const size_t longest = LongestChunkRecord(size, record_limit);
    if (longest <= header_length) return 0;
    return BytesFittingIn(data, remaining, longest - header_length);
}

}  // namespace

extern "C" void DUMPLOG(const std::string& module, const std::string& funcName, const char* data,
                        int length) {
    const ErrnoKeeper errno_keeper;
    if (data == nullptr || length == 0) {
        LogMessage(INFO, module, funcName).stream() << "no dumplog output";
        return;
    }
    LogMessage(INFO, module, funcName).stream() << "dumplog length is " << length;
    if (!AreDumpsOnFor(module) || length < 0) return;

    // Each record is cut to fit the buffer size as it stands when the record is built, so every
    // chunk can pass the length check and the chunks together show the whole buffer.
    const size_t header_length = funcName.size() + 2;  // "<" funcName ">"
    const size_t record_limit = RecordTextLimit(module);
    const auto total = static_cast<size_t>(length);
    for (size_t offset = 0; offset < total;) {
        const size_t chunk =
                NextChunk(data + offset, total - offset, header_length, BufferSize(), record_limit);
        if (chunk == 0) return;
        { LogMessage record(DEBUG, module, funcName, data + offset, static_cast<int>(chunk)); }
        offset += chunk;
    }
}
