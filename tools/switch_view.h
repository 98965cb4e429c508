// The five switches as the library reads them now, put into words for operators.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "switches.h"

namespace plumix_tool {

using vendor::korvane::zunt_tools::log::Category;

struct SwitchView {
    std::string key;
    std::string raw;       // the property's value; empty when unset
    std::string in_force;  // what the gate uses, in the property's notation
    std::string note;      // "default", "malformed, default applies", or empty
    std::string meaning;
};

SwitchView ViewLoggingOn();
SwitchView ViewThreshold();
SwitchView ViewCategoryMask();
SwitchView ViewBufferSize();
SwitchView ViewDumps();

// "key = in_force", with the note and a malformed value in brackets.
std::string Setting(const SwitchView& view);

// A value as it can be shown on one line: quoted, control codes and high bytes rendered as the
// library renders them, when it holds anything but visible ASCII.
std::string Printable(const std::string& value);

// The table's modules in the order of their mask digits.
std::vector<const Category*> CategoriesByDigit();
std::string KnownModules();
// The mask in the hexadecimal notation the library reads, sign included.
std::string MaskText(int64_t mask);
// The modules the mask enables, blank-separated, or "no module".
std::string EnabledModules(int64_t mask);
// VERBOSE .. FATAL; the number itself outside 0..6.
std::string SeverityName(int severity);

}  // namespace plumix_tool
