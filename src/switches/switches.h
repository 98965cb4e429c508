// The five switches operators set as system properties, each described once: its key, its
// default, how its text is read, and what a value means to records and to operators. Records ask
// them through switch_questions.h; plumix-log shows and sets them from here. Internal: not
// installed, not exported.
#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "../common/severities.h"
#include "saturated_length.h"
#include "switch_number.h"

namespace vendor::korvane::zunt_tools::log::internal {

template <typename Value>
struct Switch {
    using Parse = std::optional<Value> (*)(std::string_view text);
    using Notation = std::string (*)(Value value);
    using Meaning = std::string (*)(Value value);

    constexpr Switch(const char* key, const char* default_text, Parse parse, Notation notation,
                     Meaning meaning)
        : key(key),
          default_text(default_text),
          default_value(*parse(default_text)),
          parse(parse),
          notation(notation),
          meaning(meaning) {}

    // The value in force for a text as the property service holds it. An empty text is how a
    // property reads when it is unset, and a malformed one counts as unset: the default applies.
    constexpr Value ValueOf(std::string_view text) const {
        if (text.empty()) return default_value;
        return parse(text).value_or(default_value);
    }

    const char* key;
    // In force while the property is unset; default_value is read from it.
    const char* default_text;
    Value default_value;
    // How a text is read: empty when the text is malformed.
    Parse parse;
    // A value in the property's own notation; null where the text itself is shown.
    Notation notation;
    // What a value does, in a few words for operators.
    Meaning meaning;
};

// Only the exact text "1" turns logging on.
constexpr std::optional<bool> ParseOnIfOne(std::string_view text) {
    return text == "1";
}

// Only the exact text "0" turns dumps off.
constexpr std::optional<bool> ParseOnUnlessZero(std::string_view text) {
    return text != "0";
}

std::string LoggingOnMeaning(bool on);
std::string DecimalNotation(int32_t number);
std::string ThresholdMeaning(int32_t threshold);
std::string MaskNotation(int64_t mask);
std::string MaskMeaning(int64_t mask);
std::string BufferSizeMeaning(int32_t size);
std::string DumpsOnMeaning(bool on);

inline constexpr Switch<bool> kLoggingOn{"vendor.plumix.log.on", "1", ParseOnIfOne, nullptr,
                                         LoggingOnMeaning};
// The lowest severity written.
inline constexpr Switch<int32_t> kThreshold{"vendor.plumix.log.severity", "2", ParseDecimal32,
                                            DecimalNotation, ThresholdMeaning};
// One hexadecimal digit per module of kCategoryTable. The misspelled key is what devices are
// configured with.
inline constexpr Switch<int64_t> kCategoryMask{"vendor.plumix.log.catgory", "0x01011", ParseHex64,
                                               MaskNotation, MaskMeaning};
// A record must be shorter than this many characters; 0 sets no limit.
inline constexpr Switch<int32_t> kBufferSize{"vendor.plumix.log.buffer.size", "1024",
                                             ParseDecimal32, DecimalNotation, BufferSizeMeaning};
// Lets DUMPLOG write its chunk records for enabled modules.
inline constexpr Switch<bool> kDumpsOn{"vendor.plumix.dumplog.on", "0", ParseOnUnlessZero, nullptr,
                                       DumpsOnMeaning};

// Calls visit with each switch, in the order operators meet them.
template <typename Visit>
constexpr void ForEachSwitch(Visit&& visit) {
    visit(kLoggingOn);
    visit(kThreshold);
    visit(kCategoryMask);
    visit(kBufferSize);
    visit(kDumpsOn);
}

// ERROR: records from here up pass without the module and threshold switches being asked.
inline constexpr int kError = ERROR;

// A record of this severity passes a threshold of this value.
constexpr bool PassesThreshold(int severity, int32_t threshold) {
    return threshold <= severity;
}

// A record's text of this length passes a buffer size of this value.
constexpr bool FitsBufferSize(size_t length, int32_t size) {
    return size == 0 || SaturatedLength(length) < size;
}

struct Category {
    std::string_view name;
    int bit;
};

// Compared in this order; a module enables at most one bit, the lowest of its mask digit.
inline constexpr Category kCategoryTable[] = {
        {"PLUMIX", 20}, {"HULM", 16},      {"FENRO", 12},     {"QUIB", 8},        {"ORNE", 4},
        {"VELK", 0},    {"JSON-VELK", 32}, {"JSON-ORNE", 36}, {"JSON-FENRO", 44}, {"JSON-QUIB", 48},
};

// What a mask means to records: the table's entries whose bit it sets, bit i standing for entry i.
// It fits in a word beside a serial, which the mask itself does not.
using CategorySet = uint32_t;

constexpr CategorySet EnabledCategories(int64_t mask) {
    CategorySet enabled = 0;
    for (size_t i = 0; i < std::size(kCategoryTable); ++i) {
        enabled |=
                static_cast<CategorySet>((static_cast<uint64_t>(mask) >> kCategoryTable[i].bit) & 1)
                << i;
    }
    return enabled;
}

// The table's entry is in the set.
inline bool IsIn(CategorySet enabled, const Category& category) {
    return ((enabled >> (&category - kCategoryTable)) & 1) != 0;
}

// The table's entry for module, compared without regard to ASCII case; null when it has none.
const Category* FindCategory(const std::string& module);
// The same for the size bytes at name, which need not end in a NUL.
const Category* FindCategory(const char* name, size_t size);
// The module has a table entry in the set.
bool IsEnabledIn(CategorySet enabled, const std::string& module);
bool IsEnabledIn(CategorySet enabled, const char* module, size_t size);

// VERBOSE .. FATAL; the number itself outside 0..6.
std::string SeverityName(int severity);
// The table's modules that the mask enables, in the order of their digits, blank-separated, or
// "no module".
std::string EnabledModules(int64_t mask);

}  // namespace vendor::korvane::zunt_tools::log::internal
