// The five properties, what each value means to the gate, and the category table: one home for
// LogController and for plumix-log, which shows operators the same answers. Internal: not
// installed, not exported.
#pragma once

#include <android-base/properties.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {

// Property values are a few characters long: compared in place rather than through a library
// call, which costs more than the comparison itself on every record.
inline bool Equals(const std::string& value, std::string_view text) {
    if (value.size() != text.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (value[i] != text[i]) return false;
    }
    return true;
}

// Keys and defaults as the strings the property service takes, built once: a temporary per read
// would cost an allocation on every record for each key longer than the small-string buffer.
struct Property {
    std::string key;
    std::string fallback;

    std::string Read() const { return android::base::GetProperty(key, fallback); }

    // The number a value (as Read returns it) stands for; the default when it has none. The
    // default text's number is known: no parse for it.
    template <typename T>
    T NumberIn(const std::string& value, std::optional<T> (*parse)(const std::string&),
               T fallback_number) const {
        if (Equals(value, fallback)) return fallback_number;
        return parse(value).value_or(fallback_number);
    }
};

struct Properties {
    Property on{"vendor.plumix.log.on", "1"};
    Property severity{"vendor.plumix.log.severity", "2"};
    Property buffer_size{"vendor.plumix.log.buffer.size", "1024"};
    // The misspelling is what devices are configured with.
    Property category{"vendor.plumix.log.catgory", "0x01011"};
    Property dump_on{"vendor.plumix.dumplog.on", "0"};
};

const Properties& GetProperties();

// What a value of each property, as Read returns it, means to the gate.
bool LoggingOnIn(const std::string& value);
int32_t ThresholdIn(const std::string& value);
int32_t BufferSizeIn(const std::string& value);
int64_t CategoryMaskIn(const std::string& value);
bool DumpsOnIn(const std::string& value);

struct Category {
    std::string_view name;
    int bit;
};

// Compared in this order; a module enables at most one bit, the lowest of its mask digit.
inline constexpr Category kCategoryTable[] = {
        {"PLUMIX", 20}, {"HULM", 16},      {"FENRO", 12},     {"QUIB", 8},        {"ORNE", 4},
        {"VELK", 0},    {"JSON-VELK", 32}, {"JSON-ORNE", 36}, {"JSON-FENRO", 44}, {"JSON-QUIB", 48},
};

// The table's entry for module, compared without regard to ASCII case; null when it has none.
const Category* FindCategory(const std::string& module);
// The module has a table entry whose bit is set in mask.
bool MaskEnables(int64_t mask, const std::string& module);

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
