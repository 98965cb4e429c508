#include "switch_settings.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <type_traits>

#include "switches.h"

namespace vendor::korvane::zunt_tools::log::internal {
namespace {

// The words people write for on and off, which an on-switch reads as any other text.
bool IsOnOffWord(std::string_view value) {
    static constexpr std::string_view kWords[] = {"true", "false", "on",     "off",
                                                  "yes",  "no",    "enable", "disable"};
    return std::any_of(std::begin(kWords), std::end(kWords), [&](std::string_view word) {
        return word.size() == value.size() &&
               std::equal(word.begin(), word.end(), value.begin(), [](char a, char b) {
                   return a == std::tolower(static_cast<unsigned char>(b));
               });
    });
}

bool IsSwitchKey(std::string_view key) {
    bool found = false;
    ForEachSwitch([&](const auto& s) { found = found || key == s.key; });
    return found;
}

}  // namespace

std::vector<SwitchSetting> ParseSwitchSettings(std::string_view text,
                                               std::vector<std::string>* problems) {
    std::vector<SwitchSetting> settings;
    const auto is_space = [](char c) { return switch_number::IsSpace(c); };
    for (auto at = text.begin(); at != text.end();) {
        at = std::find_if_not(at, text.end(), is_space);
        const auto end = std::find_if(at, text.end(), is_space);
        const std::string entry(at, end);
        at = end;
        if (entry.empty()) continue;
        const size_t equals = entry.find('=');
        if (equals == std::string::npos || equals == 0) {
            problems->push_back("'" + entry + "' is not KEY=VALUE; left out");
            continue;
        }
        SwitchSetting setting{entry.substr(0, equals), entry.substr(equals + 1)};
        if (!IsSwitchKey(setting.key)) {
            problems->push_back(setting.key + " is no switch of the library; left out");
            continue;
        }
        const std::string surprise = SettingSurprise(setting.key, setting.value);
        if (!surprise.empty()) problems->push_back(surprise);
        settings.push_back(std::move(setting));
    }
    return settings;
}

std::string SettingSurprise(std::string_view key, std::string_view value) {
    std::string surprise;
    ForEachSwitch([&](const auto& s) {
        if (key != s.key || value.empty()) return;
        const std::string setting = std::string(key) + "=" + std::string(value);
        if constexpr (std::is_same_v<decltype(s.default_value), bool>) {
            if (!IsOnOffWord(value)) return;
            // The one text that reads otherwise than every word: "1" turns logging on, "0" turns
            // dumps off.
            const char* exception = s.ValueOf("1") != s.ValueOf("true") ? "1" : "0";
            const bool on = s.ValueOf(value);
            surprise = setting + " reads as " + (on ? "on" : "off") + ": only the text " +
                       exception + " turns it " + (on ? "off" : "on");
        } else if (!s.parse(value)) {
            surprise = setting + " is malformed, so the default " + s.default_text + " applies";
        }
    });
    return surprise;
}

}  // namespace vendor::korvane::zunt_tools::log::internal
