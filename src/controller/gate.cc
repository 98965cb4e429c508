#include "gate.h"

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {

GateResult CheckGate(LogController& controller, int severity, const std::string& module) {
    constexpr int kWarning = 3;
    const bool on = controller.logOn();
    // ERROR and above skip the module and severity filters, never the on switch.
    if (on && severity > kWarning) return GateResult::kPass;
    if (!controller.logModule(module)) {
        return on ? GateResult::kModuleNotEnabled : GateResult::kLoggingOff;
    }
    if (!controller.logOn()) return GateResult::kLoggingOff;
    if (!controller.logSeverity(severity)) return GateResult::kBelowThreshold;
    return GateResult::kPass;
}

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
