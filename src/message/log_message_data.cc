#include <plumix_log.h>

#include "render.h"

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {

LogMessageData::LogMessageData(const char* data, int length) {
    AddBuffer(data, length);
}

LogMessageData::~LogMessageData() = default;

void LogMessageData::AddBuffer(const char* data, int length) {
    const internal::ErrnoKeeper errno_keeper;
    if (data == nullptr || length < 1) return;
    AppendRendered(data, static_cast<size_t>(length), buffer_);
}

// The whole text is rendered: narrowing a length of 2 GiB or more to int would drop or cut it.
void LogMessageData::AddBuffer(std::string& text) {
    const internal::ErrnoKeeper errno_keeper;
    AppendRendered(text.data(), text.size(), buffer_);
}

std::string LogMessageData::GetBuffer() {
    const internal::ErrnoKeeper errno_keeper;
    return buffer_;
}

bool ConvertCtrlASCII(char c, std::string& out) {
    const internal::ErrnoKeeper errno_keeper;
    return AppendRenderedIfIn(c, 0x00, 0x1F, out);
}

bool ConvertNonASCII(char c, std::string& out) {
    const internal::ErrnoKeeper errno_keeper;
    return AppendRenderedIfIn(c, 0x80, 0xFF, out);
}

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
