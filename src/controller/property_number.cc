#include "property_number.h"

#include <limits>

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DigitValue(char c, int base) {
    int value = base;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Accumulates the magnitude unsigned so that the most negative value fits, and stops at the
// first character that is not a digit: property values like "12abc" read as 12.
template <typename T>
std::optional<T> Parse(const std::string& text, int base) {
    using Magnitude = std::make_unsigned_t<T>;
    const char* p = text.c_str();
    while (IsSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // "0x" counts as a prefix only when a digit follows; otherwise its "0" is the number.
    if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && DigitValue(p[2], 16) >= 0) {
        p += 2;
    }
    const Magnitude limit = negative ? Magnitude(std::numeric_limits<T>::max()) + 1
                                     : Magnitude(std::numeric_limits<T>::max());
    Magnitude magnitude = 0;
    bool any_digit = false;
    for (int digit; (digit = DigitValue(*p, base)) >= 0; ++p) {
        if (magnitude > (limit - digit) / base) return std::nullopt;
        magnitude = magnitude * base + digit;
        any_digit = true;
    }
    if (!any_digit) return std::nullopt;
    if (!negative) return static_cast<T>(magnitude);
    // Negating in the unsigned type and converting back is exact for the whole range.
    return static_cast<T>(Magnitude(0) - magnitude);
}

}  // namespace

std::optional<int32_t> ParseDecimal32(const std::string& text) {
    return Parse<int32_t>(text, 10);
}

std::optional<int64_t> ParseHex64(const std::string& text) {
    return Parse<int64_t>(text, 16);
}

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
