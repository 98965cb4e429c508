#include "log_controller.h"

#include <android-base/properties.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "property_number.h"

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {
namespace {

constexpr int32_t kDefaultSeverity = 2;
constexpr int32_t kDefaultBufferSize = 1024;
constexpr int64_t kDefaultCategoryMask = 0x01011;

// Property values are a few characters long: compared in place rather than through a library
// call, which costs more than the comparison itself on every record.
bool Equals(const std::string& value, std::string_view text) {
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

    // An unset property reads as its default text, whose number is known: no parse for it.
    template <typename T>
    T ReadNumber(std::optional<T> (*parse)(const std::string&), T fallback_number) const {
        const std::string value = Read();
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

const Properties& GetProperties() {
    static const Properties* properties = new Properties;
    return *properties;
}

struct Category {
    std::string_view name;
    int bit;
};

// Compared in this order; a module enables at most one bit, the lowest of its mask digit.
constexpr Category kCategories[] = {
        {"PLUMIX", 20}, {"HULM", 16},      {"FENRO", 12},     {"QUIB", 8},        {"ORNE", 4},
        {"VELK", 0},    {"JSON-VELK", 32}, {"JSON-ORNE", 36}, {"JSON-FENRO", 44}, {"JSON-QUIB", 48},
};

char ToUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The names are upper case already, so only the module side needs folding; no copy is made.
bool EqualsUpperCased(const std::string& module, std::string_view name) {
    if (module.size() != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (ToUpperAscii(module[i]) != name[i]) return false;
    }
    return true;
}

}  // namespace

LogController& LogController::Instance() {
    static LogController* instance = new LogController;
    return *instance;
}

bool LogController::logOn() {
    return Equals(GetProperties().on.Read(), "1");
}

bool LogController::logSeverity(int severity) {
    const int32_t threshold = GetProperties().severity.ReadNumber(ParseDecimal32, kDefaultSeverity);
    return threshold <= severity;
}

bool LogController::logSize(int length) {
    const int32_t size = getSize();
    return size == 0 || length < size;
}

int LogController::getSize() {
    return GetProperties().buffer_size.ReadNumber(ParseDecimal32, kDefaultBufferSize);
}

bool LogController::logModule(const std::string& module) {
    const int64_t mask = GetProperties().category.ReadNumber(ParseHex64, kDefaultCategoryMask);
    // The names differ, so the first that matches decides: a dropped record stops here too.
    for (const Category& category : kCategories) {
        if (EqualsUpperCased(module, category.name)) {
            return ((static_cast<uint64_t>(mask) >> category.bit) & 1) != 0;
        }
    }
    return false;
}

bool LogController::logDump(const std::string& module) {
    if (Equals(GetProperties().dump_on.Read(), "0")) return false;
    return logModule(module);
}

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
