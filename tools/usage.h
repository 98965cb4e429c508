// How plumix-log reports a command line it cannot run.
#pragma once

#include <iostream>
#include <string>

namespace plumix_tool {

constexpr int kUsageError = 2;

// One line, so that a calling script's log shows what went wrong without the usage text.
inline int UsageError(const std::string& message) {
    std::cerr << "plumix-log: " << message << " (see --help)\n";
    return kUsageError;
}

}  // namespace plumix_tool
