// Reading numbers out of property text. Internal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {

// Leading white space, an optional sign, then decimal digits up to the first other character.
// Empty when no digit follows or the number does not fit.
std::optional<int32_t> ParseDecimal32(const std::string& text);
// The same with hexadecimal digits of either case and an optional "0x" or "0X" after the sign.
std::optional<int64_t> ParseHex64(const std::string& text);

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
