#include "switch_view.h"

#include <plumix_log.h>

#include <algorithm>

namespace plumix_tool {

namespace log = vendor::korvane::zunt_tools::log;

std::string Printable(const std::string& value) {
    const bool visible =
            std::all_of(value.begin(), value.end(), [](char c) { return c > ' ' && c < 0x7F; });
    if (visible && !value.empty()) return value;
    log::LogMessageData rendered(value.data(), static_cast<int>(value.size()));
    return "\"" + rendered.GetBuffer() + "\"";
}

std::vector<SwitchView> ViewAll() {
    std::vector<SwitchView> views;
    log::internal::ForEachSwitch([&](const auto& s) { views.push_back(View(s)); });
    return views;
}

std::string Setting(const SwitchView& view) {
    std::string text = view.key + " = " + view.in_force;
    if (view.note == "default") return text + " (default)";
    if (!view.note.empty())
        return text + " (" + Printable(view.raw) + " is malformed, default applies)";
    return text;
}

}  // namespace plumix_tool
