// The decision every record faces before its length is checked. Internal.
#pragma once

#include <string>

#include "log_controller.h"

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {

// Why a record is dropped at the gate, or kPass. Operators are told the reason, so a record that
// several switches drop names the one that matters most: logging switched off.
enum class GateResult {
    kPass,
    kLoggingOff,
    kModuleNotEnabled,
    kBelowThreshold,
};

// Asks the switches in the order every record asks them: the on switch; then, unless logging is
// on and severity is ERROR or above, the module, the on switch again and the threshold, stopping
// at the first that says no. Each answer reads its property now.
GateResult CheckGate(LogController& controller, int severity, const std::string& module);

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
