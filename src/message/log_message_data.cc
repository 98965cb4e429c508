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
    if (data == nullptr || length < 1) return;
    AppendRendered(data, static_cast<size_t>(length), buffer_);
}

// The whole text is rendered: narrowing a length of 2 GiB or more to int would drop or cut it.
void LogMessageData::AddBuffer(std::string& text) {
    AppendRendered(text.data(), text.size(), buffer_);
}

std::string LogMessageData::GetBuffer() {
    return buffer_;
}

bool ConvertCtrlASCII(char c, std::string& out) {
    return AppendRenderedIfIn(c, 0x00, 0x1F, out);
}

bool ConvertNonASCII(char c, std::string& out) {
    return AppendRenderedIfIn(c, 0x80, 0xFF, out);
}

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
