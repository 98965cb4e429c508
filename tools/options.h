// plumix-log's command line: read into one value, then checked as a whole, before anything runs.
#pragma once

#include <plumix_log.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plumix_tool {

enum class Command { kWrite, kDump, kStatus, kMask, kExplain };

struct Options {
    Command command = Command::kWrite;
    bool help = false;
    bool version = false;
    bool porcelain = false;
    std::optional<std::string> module;
    std::optional<vendor::korvane::zunt_tools::log::LogSeverity> severity;
    std::optional<std::string> class_name;
    std::optional<std::string> func_name;
    // --set KEY=VALUE, in the order given.
    std::vector<std::pair<std::string, std::string>> settings;
    // MESSAGE words, a dump's FILE, or --mask's module names.
    std::vector<std::string> operands;
};

// Reads argv into options. A slip that leaves no value to store (an unknown option or priority,
// a missing option value, two commands) is described in error, and the result is false.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

// What makes parsed options unfit to run, in one line; empty when they are fit.
std::string UsageProblem(const Options& options);

}  // namespace plumix_tool
