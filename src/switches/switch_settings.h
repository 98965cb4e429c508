// Switch settings written as plumix-log --set takes them, and the values that would not do what
// their setter meant: shared by the library, which takes such settings from a host's environment,
// and the tool. Internal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vendor::korvane::zunt_tools::log::internal {

// Where a host process keeps the switch settings the library applies as it loads.
inline constexpr char kSwitchesVariable[] = "PLUMIX_LOG_SWITCHES";

struct SwitchSetting {
    std::string key;
    std::string value;
};

// "KEY=VALUE KEY=VALUE ...", entries separated by white space. An entry that is no KEY=VALUE, or
// whose key is no switch's, is left out, and problems gets one line naming it; so does a value
// the switch would not read as meant (SettingSurprise), whose setting is kept.
std::vector<SwitchSetting> ParseSwitchSettings(std::string_view text,
                                               std::vector<std::string>* problems);

// What setting a switch's key to value does that its setter hardly meant, in one line: a text the
// switch cannot read, so its default applies, or a word such as "true" on an on-switch, which
// reads only its one text. Empty for any other value, and for a key that is no switch's.
std::string SettingSurprise(std::string_view key, std::string_view value);

}  // namespace vendor::korvane::zunt_tools::log::internal
