// liblog's own filter, which a record meets after the library's switches, put into words.
#pragma once

#include <plumix_log.h>

#include <string>

namespace plumix_tool {

// Why liblog holds back a record of this severity and module, and how to let it through.
std::string PlatformFilterReason(vendor::korvane::zunt_tools::log::LogSeverity severity,
                                 const std::string& module);

}  // namespace plumix_tool
