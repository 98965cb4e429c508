#include "switches.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <vector>

namespace vendor::korvane::zunt_tools::log::internal {

std::string LoggingOnMeaning(bool on) {
    return on ? "logging on" : "logging off (only the text 1 turns it on)";
}

std::string DecimalNotation(int32_t number) {
    return std::to_string(number);
}

std::string ThresholdMeaning(int32_t threshold) {
    // ERROR and above pass before the threshold is asked, so no threshold hides them.
    if (threshold <= 0) return "every severity";
    if (threshold >= kError) return "ERROR and above only";
    return SeverityName(threshold) + " and above";
}

std::string MaskNotation(int64_t mask) {
    // The magnitude, computed unsigned, is exact for the most negative mask too.
    const uint64_t magnitude = mask < 0 ? uint64_t(0) - static_cast<uint64_t>(mask) : mask;
    char digits[24];
    std::snprintf(digits, sizeof(digits), "%" PRIX64, magnitude);
    return std::string(mask < 0 ? "-0x" : "0x") + digits;
}

std::string MaskMeaning(int64_t mask) {
    return "enables " + EnabledModules(mask);
}

std::string BufferSizeMeaning(int32_t size) {
    if (size == 0) return "no limit";
    if (size < 0) return "no record: a negative size drops every one";
    return "records shorter than " + std::to_string(size) + " characters";
}

std::string DumpsOnMeaning(bool on) {
    return on ? "dumps on for enabled modules" : "dumps off";
}

std::string SeverityName(int severity) {
    const Severity* row = FindSeverity(severity);
    return row != nullptr ? row->name : std::to_string(severity);
}

std::string EnabledModules(int64_t mask) {
    std::vector<const Category*> by_digit;
    for (const Category& category : kCategoryTable) by_digit.push_back(&category);
    std::sort(by_digit.begin(), by_digit.end(),
              [](const Category* a, const Category* b) { return a->bit < b->bit; });
    const CategorySet enabled = EnabledCategories(mask);
    std::string names;
    for (const Category* category : by_digit) {
        if (!IsIn(enabled, *category)) continue;
        if (!names.empty()) names += ' ';
        names += category->name;
    }
    return names.empty() ? "no module" : names;
}

}  // namespace vendor::korvane::zunt_tools::log::internal
