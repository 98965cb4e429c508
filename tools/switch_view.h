// The five switches as the library reads them now, put into words for operators.
#pragma once

#include <android-base/properties.h>

#include <string>
#include <vector>

#include "switches.h"

namespace plumix_tool {

struct SwitchView {
    std::string key;
    std::string raw;       // the property's value; empty when unset
    std::string in_force;  // what records meet, in the property's notation
    std::string note;      // "default", "malformed, default applies", or empty
    std::string meaning;
};

// A value as it can be shown on one line: quoted, control codes and high bytes rendered as the
// library renders them, when it holds anything but visible ASCII.
std::string Printable(const std::string& value);

// The property's value as it stands; empty when unset. On a host an empty value reads as missing,
// and a device's property service answers the same way, so empty means unset.
template <typename Value>
std::string RawText(const vendor::korvane::zunt_tools::log::internal::Switch<Value>& s) {
    return android::base::GetProperty(s.key, "");
}

template <typename Value>
SwitchView View(const vendor::korvane::zunt_tools::log::internal::Switch<Value>& s) {
    const std::string raw = RawText(s);
    const std::optional<Value> parsed = s.parse(raw);
    const Value value = s.ValueOf(raw);
    SwitchView view{s.key, raw, s.default_text, "", s.meaning(value)};
    if (raw.empty()) {
        view.note = "default";
    } else if (!parsed) {
        view.note = "malformed, default applies";
    } else {
        view.in_force = s.notation != nullptr ? s.notation(value) : Printable(raw);
    }
    return view;
}

// All five, in the order operators meet them.
std::vector<SwitchView> ViewAll();

// "key = in_force", with the note and a malformed value in brackets.
std::string Setting(const SwitchView& view);

}  // namespace plumix_tool
