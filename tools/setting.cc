#include "setting.h"

#include <vector>

#include "switches.h"

namespace plumix_tool {
namespace {

namespace log = vendor::korvane::zunt_tools::log;

// One character inserted, removed or replaced, or two neighbours swapped.
bool IsOneEditApart(const std::string& a, const std::string& b) {
    const std::string& shorter = a.size() <= b.size() ? a : b;
    const std::string& longer = a.size() <= b.size() ? b : a;
    if (longer.size() - shorter.size() > 1) return false;
    size_t first = 0;
    while (first < shorter.size() && shorter[first] == longer[first]) ++first;
    if (shorter.size() != longer.size()) {
        return shorter.compare(first, std::string::npos, longer, first + 1) == 0;
    }
    if (first == shorter.size()) return false;  // the same key
    if (shorter.compare(first + 1, std::string::npos, longer, first + 1) == 0) return true;
    return first + 1 < shorter.size() && shorter[first] == longer[first + 1] &&
           shorter[first + 1] == longer[first] &&
           shorter.compare(first + 2, std::string::npos, longer, first + 2) == 0;
}

}  // namespace

std::string SettingCommand(const std::string& key, const std::string& value) {
#ifdef __ANDROID__
    return "setprop " + key + " " + value;
#else
    return "--set " + key + "=" + value;
#endif
}

std::string MeantSwitchKey(const std::string& key) {
    std::vector<std::string> keys;
    log::ForEachSwitch([&](const auto& s) { keys.push_back(s.key); });
    for (const std::string& switch_key : keys) {
        if (key == switch_key) return "";
    }
    for (const std::string& switch_key : keys) {
        if (IsOneEditApart(key, switch_key)) return switch_key;
    }
    return "";
}

}  // namespace plumix_tool
