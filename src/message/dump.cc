#include <plumix_log.h>

#include <cstddef>
#include <cstdint>

#include "../controller/log_controller.h"
#include "render.h"

using vendor::korvane::zunt_tools::log::BytesFittingIn;
using vendor::korvane::zunt_tools::log::DEBUG;
using vendor::korvane::zunt_tools::log::INFO;
using vendor::korvane::zunt_tools::log::LogController;
using vendor::korvane::zunt_tools::log::LogMessage;

namespace {

// How many bytes from data the next chunk record holds, or 0 when not even one fits. A chunk
// takes as many whole bytes as keep its record, header included, shorter than size.
size_t NextChunk(const char* data, size_t remaining, size_t header_length, int32_t size) {
    if (size == 0) return remaining;
    if (size < 0 || static_cast<size_t>(size) <= header_length) return 0;
    return BytesFittingIn(data, remaining, static_cast<size_t>(size) - 1 - header_length);
}

}  // namespace

extern "C" void DUMPLOG(const std::string& module, const std::string& funcName, const char* data,
                        int length) {
    if (data == nullptr || length == 0) {
        LogMessage(INFO, module, funcName).stream() << "no dumplog output";
        return;
    }
    LogMessage(INFO, module, funcName).stream() << "dumplog length is " << length;
    LogController& controller = LogController::Instance();
    if (!controller.logDump(module) || length < 0) return;

    // Each record is cut to fit the buffer size as it stands when the record is built, so every
    // chunk can pass the length check and the chunks together show the whole buffer.
    const size_t header_length = funcName.size() + 2;  // "<" funcName ">"
    const auto total = static_cast<size_t>(length);
    for (size_t offset = 0; offset < total;) {
        const size_t chunk =
                NextChunk(data + offset, total - offset, header_length, controller.getSize());
        if (chunk == 0) return;
        { LogMessage record(DEBUG, module, funcName, data + offset, static_cast<int>(chunk)); }
        offset += chunk;
    }
}
