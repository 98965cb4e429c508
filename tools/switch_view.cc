#include "switch_view.h"

#include <android-base/properties.h>
#include <plumix_log.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <optional>

#include "property_number.h"

namespace plumix_tool {
namespace {

namespace log = vendor::korvane::zunt_tools::log;

// The property's value and the value the library reads for it. On a host an empty value reads
// as missing, and a device's property service answers the same way, so empty means unset.
struct Reading {
    std::string raw;
    std::string value;
};

Reading Read(const log::Property& property) {
    Reading reading{android::base::GetProperty(property.key, ""), property.fallback};
    if (!reading.raw.empty()) reading.value = reading.raw;
    return reading;
}

// A numeric switch: the note says when its default applies.
SwitchView ViewNumeric(const log::Property& property, const Reading& reading, bool parses,
                       const std::string& shown, std::string meaning) {
    SwitchView view{property.key, reading.raw, shown, "", std::move(meaning)};
    if (reading.raw.empty()) {
        view.in_force = property.fallback;
        view.note = "default";
    } else if (!parses) {
        view.in_force = property.fallback;
        view.note = "malformed, default applies";
    }
    return view;
}

// A switch read as text: any value means something, so none is malformed.
SwitchView ViewText(const log::Property& property, bool (*on_in)(const std::string&),
                    const char* on_meaning, const char* off_meaning) {
    const Reading reading = Read(property);
    return {property.key, reading.raw, Printable(reading.value),
            reading.raw.empty() ? "default" : "", on_in(reading.value) ? on_meaning : off_meaning};
}

}  // namespace

SwitchView ViewLoggingOn() {
    return ViewText(log::GetProperties().on, log::LoggingOnIn, "logging on",
                    "logging off (only the text 1 turns it on)");
}

SwitchView ViewThreshold() {
    const log::Property& property = log::GetProperties().severity;
    const Reading reading = Read(property);
    const int32_t threshold = log::ThresholdIn(reading.value);
    // ERROR and above pass the gate before the threshold is asked, so no threshold hides them.
    std::string meaning = SeverityName(threshold) + " and above";
    if (threshold <= log::VERBOSE) meaning = "every severity";
    if (threshold >= log::ERROR) meaning = "ERROR and above only";
    return ViewNumeric(property, reading, log::ParseDecimal32(reading.raw).has_value(),
                       std::to_string(threshold), meaning);
}

SwitchView ViewCategoryMask() {
    const log::Property& property = log::GetProperties().category;
    const Reading reading = Read(property);
    const int64_t mask = log::CategoryMaskIn(reading.value);
    return ViewNumeric(property, reading, log::ParseHex64(reading.raw).has_value(), MaskText(mask),
                       "enables " + EnabledModules(mask));
}

SwitchView ViewBufferSize() {
    const log::Property& property = log::GetProperties().buffer_size;
    const Reading reading = Read(property);
    const int32_t size = log::BufferSizeIn(reading.value);
    std::string meaning = "records shorter than " + std::to_string(size) + " characters";
    if (size == 0) meaning = "no limit";
    if (size < 0) meaning = "no record: a negative size drops every one";
    return ViewNumeric(property, reading, log::ParseDecimal32(reading.raw).has_value(),
                       std::to_string(size), meaning);
}

SwitchView ViewDumps() {
    return ViewText(log::GetProperties().dump_on, log::DumpsOnIn, "dumps on for enabled modules",
                    "dumps off");
}

std::string Setting(const SwitchView& view) {
    std::string text = view.key + " = " + view.in_force;
    if (view.note == "default") return text + " (default)";
    if (!view.note.empty())
        return text + " (" + Printable(view.raw) + " is malformed, default applies)";
    return text;
}

std::string Printable(const std::string& value) {
    const bool visible =
            std::all_of(value.begin(), value.end(), [](char c) { return c > ' ' && c < 0x7F; });
    if (visible && !value.empty()) return value;
    log::LogMessageData rendered(value.data(), static_cast<int>(value.size()));
    return "\"" + rendered.GetBuffer() + "\"";
}

std::vector<const Category*> CategoriesByDigit() {
    std::vector<const Category*> categories;
    for (const Category& category : log::kCategoryTable) categories.push_back(&category);
    std::sort(categories.begin(), categories.end(),
              [](const Category* a, const Category* b) { return a->bit < b->bit; });
    return categories;
}

std::string KnownModules() {
    std::string names;
    for (const Category* category : CategoriesByDigit()) {
        if (!names.empty()) names += ' ';
        names += category->name;
    }
    return names;
}

std::string MaskText(int64_t mask) {
    // The magnitude, computed unsigned, is exact for the most negative mask too.
    const uint64_t magnitude = mask < 0 ? uint64_t(0) - static_cast<uint64_t>(mask) : mask;
    char digits[24];
    std::snprintf(digits, sizeof(digits), "%" PRIX64, magnitude);
    return std::string(mask < 0 ? "-0x" : "0x") + digits;
}

std::string EnabledModules(int64_t mask) {
    std::string names;
    for (const Category* category : CategoriesByDigit()) {
        const std::string name(category->name);
        if (!log::MaskEnables(mask, name)) continue;
        if (!names.empty()) names += ' ';
        names += name;
    }
    return names.empty() ? "no module" : names;
}

std::string SeverityName(int severity) {
    static const char* const kNames[] = {"VERBOSE", "DEBUG",    "INFO", "WARNING",
                                         "ERROR",   "CRITICAL", "FATAL"};
    if (severity < 0 || severity > 6) return std::to_string(severity);
    return kNames[severity];
}

}  // namespace plumix_tool
