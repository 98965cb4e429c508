// The switches that decide whether a record is written. Internal: not installed, not exported.
#pragma once

#include <string>

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {

// Every answer reads its system property at the moment it is asked, so operators can change
// logging while programs run. The class has no state; one instance serves the whole process.
class LogController {
  public:
    // The one instance; it has no state, so it needs no creation and nothing to destroy.
    static LogController& Instance();

    // "vendor.plumix.log.on" is exactly "1".
    bool logOn();
    // The threshold "vendor.plumix.log.severity" is at most severity.
    bool logSeverity(int severity);
    // The buffer size is 0, or length is below it.
    bool logSize(int length);
    // "vendor.plumix.log.buffer.size".
    int getSize();
    // The module, compared without regard to ASCII case, has its bit set in the category mask.
    bool logModule(const std::string& module);
    // "vendor.plumix.dumplog.on" is not "0" and the module is enabled.
    bool logDump(const std::string& module);

  private:
    LogController() = default;
};

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor
