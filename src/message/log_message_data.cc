#include <plumix_log.h>

#include "render.h"

namespace vendor::korvane::zunt_tools::log {

LogMessageData::LogMessageData(const char* data, int length) {
    AddBuffer(data, length);
}

LogMessageData::~LogMessageData() = default;

void LogMessageData::AddBuffer(const char* data, int length) {
    const internal::ErrnoKeeper errno_keeper;
    if (data == nullptr || length < 1) return;
    internal::AppendRendered(data, static_cast<size_t>(length), buffer_);
}

// The whole text is rendered: narrowing a length of 2 GiB or more to int would drop or cut it.
void LogMessageData::AddBuffer(std::string& text) {
    const internal::ErrnoKeeper errno_keeper;
    internal::AppendRendered(text.data(), text.size(), buffer_);
}

std::string LogMessageData::GetBuffer() {
    const internal::ErrnoKeeper errno_keeper;
    return buffer_;
}

bool ConvertCtrlASCII(char c, std::string& out) {
    const internal::ErrnoKeeper errno_keeper;
    return internal::AppendRenderedIfIn(c, 0x00, 0x1F, out);
}

bool ConvertNonASCII(char c, std::string& out) {
    const internal::ErrnoKeeper errno_keeper;
    return internal::AppendRenderedIfIn(c, 0x80, 0xFF, out);
}

}  // namespace vendor::korvane::zunt_tools::log
