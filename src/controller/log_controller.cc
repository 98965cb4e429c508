#include "log_controller.h"

#include <cstdint>

#include "property_number.h"
#include "switches.h"

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {
namespace {

constexpr int32_t kDefaultSeverity = 2;
constexpr int32_t kDefaultBufferSize = 1024;
constexpr int64_t kDefaultCategoryMask = 0x01011;

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

// Built as the library loads rather than at first use, so that no fork can catch it half-built
// and leave the child unable to log; never destroyed, for records built while the process exits.
const Properties* const properties = new Properties;

}  // namespace

const Properties& GetProperties() {
    return *properties;
}

bool LoggingOnIn(const std::string& value) {
    return Equals(value, "1");
}

int32_t ThresholdIn(const std::string& value) {
    return GetProperties().severity.NumberIn(value, ParseDecimal32, kDefaultSeverity);
}

int32_t BufferSizeIn(const std::string& value) {
    return GetProperties().buffer_size.NumberIn(value, ParseDecimal32, kDefaultBufferSize);
}

int64_t CategoryMaskIn(const std::string& value) {
    return GetProperties().category.NumberIn(value, ParseHex64, kDefaultCategoryMask);
}

bool DumpsOnIn(const std::string& value) {
    return !Equals(value, "0");
}

const Category* FindCategory(const std::string& module) {
    for (const Category& category : kCategoryTable) {
        if (EqualsUpperCased(module, category.name)) return &category;
    }
    return nullptr;
}

bool MaskEnables(int64_t mask, const std::string& module) {
    const Category* category = FindCategory(module);
    return category != nullptr && ((static_cast<uint64_t>(mask) >> category->bit) & 1) != 0;
}

LogController& LogController::Instance() {
    // Stateless, so constant-initialised: no first-use guard that a fork could catch half-way,
    // and nothing to destroy while the process exits.
    static LogController instance;
    return instance;
}

bool LogController::logOn() {
    return LoggingOnIn(GetProperties().on.Read());
}

bool LogController::logSeverity(int severity) {
    return ThresholdIn(GetProperties().severity.Read()) <= severity;
}

bool LogController::logSize(int length) {
    const int32_t size = getSize();
    return size == 0 || length < size;
}

int LogController::getSize() {
    return BufferSizeIn(GetProperties().buffer_size.Read());
}

bool LogController::logModule(const std::string& module) {
    return MaskEnables(CategoryMaskIn(GetProperties().category.Read()), module);
}

bool LogController::logDump(const std::string& module) {
    if (!DumpsOnIn(GetProperties().dump_on.Read())) return false;
    return logModule(module);
}

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
