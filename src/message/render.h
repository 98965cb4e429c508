// The one rule that turns raw bytes into printable text. Internal.
#pragma once

#include <cstddef>
#include <string>

namespace vendor::korvane::zunt_tools::log::internal {

// Whether size bytes of data are all printable, so that they render as themselves.
bool RendersAsItself(const char* data, size_t size);

// Appends the rendering of size bytes of data to out.
void AppendRendered(const char* data, size_t size, std::string& out);

// Appends the rendering of one byte when it is in [first, last], and says whether it was.
bool AppendRenderedIfIn(char c, unsigned char first, unsigned char last, std::string& out);

// How many leading bytes of data render into at most budget characters; a byte is never split.
size_t BytesFittingIn(const char* data, size_t size, size_t budget);

}  // namespace vendor::korvane::zunt_tools::log::internal
