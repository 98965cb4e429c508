// Reading numbers out of a switch's text. Internal. Compile-time too, so that a switch's default
// number is worked out from its default text and the two cannot disagree.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <type_traits>

namespace vendor::korvane::zunt_tools::log::internal {
namespace switch_number {

constexpr bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr int DigitValue(char c, int base) {
    int value = base;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Accumulates the magnitude unsigned so that the most negative value fits, and stops at the
// first character that is not a digit: property values like "12abc" read as 12.
template <typename T>
constexpr std::optional<T> Parse(std::string_view text, int base) {
    using Magnitude = std::make_unsigned_t<T>;
    size_t i = 0;
    const auto at = [&](size_t k) { return k < text.size() ? text[k] : '\0'; };
    while (IsSpace(at(i))) ++i;
    bool negative = false;
    if (at(i) == '+' || at(i) == '-') negative = at(i++) == '-';
    // "0x" counts as a prefix only when a digit follows; otherwise its "0" is the number.
    if (base == 16 && at(i) == '0' && (at(i + 1) == 'x' || at(i + 1) == 'X') &&
        DigitValue(at(i + 2), 16) >= 0) {
        i += 2;
    }
    const Magnitude limit = negative ? Magnitude(std::numeric_limits<T>::max()) + 1
                                     : Magnitude(std::numeric_limits<T>::max());
    Magnitude magnitude = 0;
    bool any_digit = false;
    for (; DigitValue(at(i), base) >= 0; ++i) {
        const int digit = DigitValue(at(i), base);
        if (magnitude > (limit - digit) / base) return std::nullopt;
        magnitude = magnitude * base + digit;
        any_digit = true;
    }
    if (!any_digit) return std::nullopt;
    if (!negative) return static_cast<T>(magnitude);
    // Negating in the unsigned type and converting back is exact for the whole range.
    return static_cast<T>(Magnitude(0) - magnitude);
}

}  // namespace switch_number

// Leading white space, an optional sign, then decimal digits up to the first other character.
// Empty when no digit follows or the number does not fit.
constexpr std::optional<int32_t> ParseDecimal32(std::string_view text) {
    return switch_number::Parse<int32_t>(text, 10);
}

// The same with hexadecimal digits of either case and an optional "0x" or "0X" after the sign.
constexpr std::optional<int64_t> ParseHex64(std::string_view text) {
    return switch_number::Parse<int64_t>(text, 16);
}

}  // namespace vendor::korvane::zunt_tools::log::internal
