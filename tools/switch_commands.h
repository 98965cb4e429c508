// --status, --mask and --explain: the switches shown, set and applied to one record, all through
// the library's own reading of them and its own gate.
#pragma once

#include <plumix_log.h>

#include <set>
#include <string>
#include <vector>

namespace plumix_tool {

// Five lines, one per property, column-aligned, a value set from the environment marked so;
// porcelain prints key=value-in-force lines.
int RunStatus(bool porcelain, const std::set<std::string>& from_environment);

// Prints the category mask enabling exactly the named modules ("all" and "none" among them) and
// how to set it (SettingCommand). Names with + or - change the mask in force instead; the two
// kinds do not mix.
int RunMask(const std::vector<std::string>& names);

// Says whether this record would be written now, and if not, which switch drops it and how to
// change that. Exit status 0 when written, 1 when not; nothing reaches the log.
int RunExplain(vendor::korvane::zunt_tools::log::LogSeverity severity, const std::string& module,
               const std::string& class_name, const std::string& func_name,
               const std::string& message);

}  // namespace plumix_tool
