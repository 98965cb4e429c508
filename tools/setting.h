// Setting properties from plumix-log: the form an operator uses where the tool runs, and the
// slips in a key that --set would otherwise take silently.
#pragma once

#include <string>

namespace plumix_tool {

// How to give key this value here: "setprop KEY VALUE" on a device; on a host, which has no
// property service, the tool's own "--set KEY=VALUE".
std::string SettingCommand(const std::string& key, const std::string& value);

// The switch's key that key is a slip of (one edit away, such as the English spelling of
// vendor.plumix.log.catgory, or without its "vendor."); empty when key is a switch's or near
// none.
std::string MeantSwitchKey(const std::string& key);

}  // namespace plumix_tool
