// What records ask the switches, each answer as the switch stands at that moment. Internal.
#pragma once

#include <cstddef>
#include <string>

namespace vendor::korvane::zunt_tools::log::internal {

// Logging is on.
bool IsLoggingOn();
// The module, compared without regard to ASCII case, has its bit set in the category mask.
bool IsModuleEnabled(const std::string& module);
bool IsModuleEnabled(const char* module, size_t size);
// The threshold is at most severity.
bool IsSevereEnough(int severity);
// The buffer size, which a record must stay below; 0 sets no limit.
int BufferSize();
// The buffer size is 0, or length is below it.
bool IsShortEnough(size_t length);
// Dumps are on and the module is enabled.
bool AreDumpsOnFor(const std::string& module);

// Why the switches drop a record, or kPass. Operators are told the reason, so a record that
// several switches drop names the one that matters most: logging switched off.
enum class SwitchVerdict {
    kPass,
    kLoggingOff,
    kModuleNotEnabled,
    kBelowThreshold,
};

// Asks the switches in the order every record asks them, its length aside: the on switch; then,
// unless logging is on and severity is ERROR or above, the module, the on switch again and the
// threshold, stopping at the first that says no.
SwitchVerdict AskSwitches(int severity, const std::string& module);
// The same for a module of size bytes at module, which need not end in a NUL: nothing is copied.
SwitchVerdict AskSwitches(int severity, const char* module, size_t size);

}  // namespace vendor::korvane::zunt_tools::log::internal
