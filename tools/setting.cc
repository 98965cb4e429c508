#include "setting.h"

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
    bool is_switch = false;
    std::string meant;
    log::internal::ForEachSwitch([&](const auto& s) {
        is_switch = is_switch || key == s.key;
        if (meant.empty() && (IsOneEditApart(key, s.key) || "vendor." + key == s.key)) {
            meant = s.key;
        }
    });
    return is_switch ? "" : meant;
}

}  // namespace plumix_tool
