#include "switch_commands.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <set>

#include "../src/message/record_header.h"
#include "platform_filter.h"
#include "setting.h"
#include "switch_questions.h"
#include "switch_settings.h"
#include "switch_view.h"
#include "switches.h"
#include "usage.h"

namespace plumix_tool {
namespace {

namespace log = vendor::korvane::zunt_tools::log;

// Vendor properties are hidden from shell on Android 12 and later: reads then give the defaults.
void WarnIfPropertiesHidden() {
#ifdef __ANDROID__
    if (getuid() != 0) {
        std::cerr << "plumix-log: values may be defaults: run as root (adb root) to read vendor "
                     "properties\n";
    }
#endif
}

std::string InForceColumn(const SwitchView& view) {
    return view.note.empty() ? view.in_force : view.in_force + " (" + view.note + ")";
}

std::string RawColumn(const SwitchView& view, const std::set<std::string>& from_environment) {
    if (view.raw.empty()) return "unset";
    if (from_environment.count(view.key) == 0) return Printable(view.raw);
    return Printable(view.raw) + " (" + log::internal::kSwitchesVariable + ")";
}

void PrintPadded(const std::string& text, size_t width) {
    std::cout << text << std::string(width - text.size() + 2, ' ');
}

// The record's text by the library's own header rule, without a record, which would ask the
// switches once more as it is destroyed.
std::string RecordText(const std::string& class_name, const std::string& func_name,
                       const std::string& message) {
    const log::internal::RecordHeader header(class_name, func_name);
    return std::string(header.data(), header.size()) + message;
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == y;
           });
}

// Every module of the table, in the order of their digits: those a mask with every bit set enables.
std::string KnownModules() {
    return log::internal::EnabledModules(-1);
}

int ExplainModuleNotEnabled(const std::string& module) {
    const log::internal::Category* category = log::internal::FindCategory(module);
    if (category == nullptr) {
        std::cout << "dropped: module " << Printable(module) << " has no digit in "
                  << log::internal::kCategoryMask.key
                  << ", so no mask enables it; only ERROR and above "
                  << "are written for it (known modules: " << KnownModules() << ")\n";
        return 1;
    }
    std::cout << "dropped: module " << category->name << " is not enabled by "
              << Setting(View(log::internal::kCategoryMask)) << "; plumix-log --mask +"
              << category->name << "\n";
    return 1;
}

}  // namespace

int RunStatus(bool porcelain, const std::set<std::string>& from_environment) {
    WarnIfPropertiesHidden();
    const std::vector<SwitchView> views = ViewAll();
    if (porcelain) {
        for (const SwitchView& view : views) std::cout << view.key << '=' << view.in_force << '\n';
        return 0;
    }
    size_t key_width = 0, raw_width = 0, in_force_width = 0;
    for (const SwitchView& view : views) {
        key_width = std::max(key_width, view.key.size());
        raw_width = std::max(raw_width, RawColumn(view, from_environment).size());
        in_force_width = std::max(in_force_width, InForceColumn(view).size());
    }
    for (const SwitchView& view : views) {
        PrintPadded(view.key, key_width);
        PrintPadded(RawColumn(view, from_environment), raw_width);
        PrintPadded(InForceColumn(view), in_force_width);
        std::cout << view.meaning << '\n';
    }
    return 0;
}

int RunMask(const std::vector<std::string>& names) {
    if (names.empty()) return UsageError("--mask needs at least one MODULE");
    const auto is_relative = [](const std::string& name) {
        return !name.empty() && (name[0] == '+' || name[0] == '-');
    };
    const size_t relative = std::count_if(names.begin(), names.end(), is_relative);
    if (relative != 0 && relative != names.size()) {
        return UsageError("--mask takes either module names or +MODULE/-MODULE changes, not both");
    }
    if (relative != 0) WarnIfPropertiesHidden();

    std::set<const log::internal::Category*> enabled;
    if (relative != 0) {
        const log::internal::CategorySet in_force = log::internal::EnabledCategories(
                log::internal::kCategoryMask.ValueOf(RawText(log::internal::kCategoryMask)));
        for (const log::internal::Category& category : log::internal::kCategoryTable) {
            if (log::internal::IsEnabledIn(in_force, std::string(category.name)))
                enabled.insert(&category);
        }
    }
    for (const std::string& name : names) {
        const bool add = name[0] != '-';
        const std::string module = relative != 0 ? name.substr(1) : name;
        std::vector<const log::internal::Category*> named;
        if (EqualsIgnoringCase(module, "all")) {
            for (const auto& category : log::internal::kCategoryTable) named.push_back(&category);
        } else if (!EqualsIgnoringCase(module, "none")) {
            named.push_back(log::internal::FindCategory(module));
            if (named[0] == nullptr) {
                return UsageError("unknown module '" + module + "' (known: " + KnownModules() +
                                  "); all and none name every module and no module");
            }
        }
        for (const log::internal::Category* category : named) {
            if (add) {
                enabled.insert(category);
            } else {
                enabled.erase(category);
            }
        }
    }
    // Only the table's bits, none of them the sign bit: the value always reads back as it is.
    int64_t mask = 0;
    for (const log::internal::Category* category : enabled) mask |= int64_t{1} << category->bit;
    std::cout << log::internal::MaskNotation(mask) << '\n'
              << SettingCommand(log::internal::kCategoryMask.key, log::internal::MaskNotation(mask))
              << '\n';
    return 0;
}

int RunExplain(log::LogSeverity severity, const std::string& module, const std::string& class_name,
               const std::string& func_name, const std::string& message) {
    WarnIfPropertiesHidden();
    // The same questions in the same order as a record's destructor asks them.
    switch (log::internal::AskSwitches(severity, module)) {
        case log::internal::SwitchVerdict::kLoggingOff:
            std::cout << "dropped: logging is off: " << Setting(View(log::internal::kLoggingOn))
                      << "; " << SettingCommand(log::internal::kLoggingOn.key, "1") << "\n";
            return 1;
        case log::internal::SwitchVerdict::kModuleNotEnabled:
            return ExplainModuleNotEnabled(module);
        case log::internal::SwitchVerdict::kBelowThreshold:
            std::cout << "dropped: " << log::internal::SeverityName(severity)
                      << " is below the threshold " << Setting(View(log::internal::kThreshold))
                      << "; "
                      << SettingCommand(log::internal::kThreshold.key, std::to_string(severity))
                      << "\n";
            return 1;
        case log::internal::SwitchVerdict::kPass:
            break;
    }
    const std::string text = RecordText(class_name, func_name, message);
    if (!log::internal::IsShortEnough(text.size())) {
        std::cout << "dropped: the record is " << text.size() << " characters, not shorter than "
                  << Setting(View(log::internal::kBufferSize)) << "; "
                  << SettingCommand(log::internal::kBufferSize.key, std::to_string(text.size() + 1))
                  << " (or 0 for no limit)\n";
        return 1;
    }
    // Past the switches just now, so liblog's own filter is what IsLoggable can still refuse.
    if (!log::IsLoggable(severity, module)) {
        std::cout << "dropped by the platform log filter: "
                  << PlatformFilterReason(severity, module) << "\n";
        return 1;
    }
    std::cout << "written: " << log::internal::SeverityName(severity) << " record of "
              << Printable(module) << ", " << text.size() << " characters: " << text << "\n";
    return 0;
}

}  // namespace plumix_tool
