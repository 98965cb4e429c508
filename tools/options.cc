#include "options.h"

#include <getopt.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "../src/common/severities.h"
#include "switches.h"

namespace plumix_tool {
namespace {

namespace log = vendor::korvane::zunt_tools::log;

constexpr char kShortOptions[] = "t:p:c:f:h";

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

constexpr bool AreFirstLettersDistinct() {
    for (const log::internal::Severity& a : log::internal::kSeverities) {
        for (const log::internal::Severity& b : log::internal::kSeverities) {
            if (&a != &b && a.name[0] == b.name[0]) return false;
        }
    }
    return true;
}
static_assert(AreFirstLettersDistinct(), "-p takes a severity by its first letter too");

// A severity's name, its first letter or its number, in either case, or "warn".
std::optional<log::LogSeverity> ParsePriority(const std::string& text) {
    for (const log::internal::Severity& row : log::internal::kSeverities) {
        const std::string name = row.name;
        if (EqualsIgnoringCase(text, name) || EqualsIgnoringCase(text, name.substr(0, 1)) ||
            text == std::to_string(row.severity)) {
            return row.severity;
        }
    }
    if (EqualsIgnoringCase(text, "warn")) return log::WARNING;
    return std::nullopt;
}

// An argument that getopt would have read as an option before the first operand; "-" alone names
// standard input.
bool LooksLikeOption(const std::string& argument) {
    return argument.size() >= 2 && argument[0] == '-';
}

// An argument after --mask that was meant as one of the tool's options: "-ORNE" is a module
// change, "-t" and "--status" are not.
bool IsMisplacedOption(const std::string& argument) {
    if (argument.compare(0, 2, "--") == 0) return true;
    return argument.size() >= 2 && argument[0] == '-' && argument[1] != ':' &&
           std::strchr(kShortOptions, argument[1]) != nullptr &&
           log::internal::FindCategory(argument.substr(1)) == nullptr;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* options, std::string* error) {
    // A command's option returns kCommandOption plus the command.
    enum { kSetOption = 256, kPorcelainOption, kVersionOption, kCommandOption };
    const auto command_option = [](Command command) {
        return kCommandOption + static_cast<int>(command);
    };
    const option long_options[] = {
            {"dump", no_argument, nullptr, command_option(Command::kDump)},
            {"status", no_argument, nullptr, command_option(Command::kStatus)},
            {"porcelain", no_argument, nullptr, kPorcelainOption},
            {"mask", no_argument, nullptr, command_option(Command::kMask)},
            {"explain", no_argument, nullptr, command_option(Command::kExplain)},
#ifndef __ANDROID__
            {"set", required_argument, nullptr, kSetOption},
#endif
            {"help", no_argument, nullptr, 'h'},
            {"version", no_argument, nullptr, kVersionOption},
            {nullptr, 0, nullptr, 0},
    };
    // + stops at the first operand, : reports a missing value apart from an unknown option.
    const std::string short_options = std::string("+:") + kShortOptions;

    opterr = 0;
    optind = 1;
    // --mask ends the options: what follows are module names, and "-ORNE" is one of them.
    for (int opt;
         options->command != Command::kMask &&
         (opt = getopt_long(argc, argv, short_options.c_str(), long_options, nullptr)) != -1;) {
        switch (opt) {
            case 't':
                options->module = optarg;
                break;
            case 'p':
                options->severity = ParsePriority(optarg);
                if (!options->severity) {
                    *error = std::string("unknown priority '") + optarg +
                             "' (use v, d, i, w, e, c or f, the severity's name, in either case, "
                             "or its number 0 to 6)";
                    return false;
                }
                break;
            case 'c':
                options->class_name = optarg;
                break;
            case 'f':
                options->func_name = optarg;
                break;
            case kPorcelainOption:
                options->porcelain = true;
                break;
            case kSetOption: {
                const char* equals = std::strchr(optarg, '=');
                if (equals == nullptr || equals == optarg) {
                    *error = std::string("--set needs KEY=VALUE, got '") + optarg + "'";
                    return false;
                }
                options->settings.emplace_back(std::string(optarg, equals - optarg), equals + 1);
                break;
            }
            case 'h':
                options->help = true;
                return true;
            case kVersionOption:
                options->version = true;
                return true;
            case ':':
                *error = std::string("missing value for ") + argv[optind - 1];
                return false;
            default:
                if (opt >= kCommandOption) {
                    const auto command = static_cast<Command>(opt - kCommandOption);
                    if (options->command != Command::kWrite && options->command != command) {
                        *error = "--dump, --status, --mask and --explain do not combine";
                        return false;
                    }
                    options->command = command;
                    break;
                }
                *error = optopt != 0 && optopt < 256
                                 ? std::string("unknown option: -") + static_cast<char>(optopt)
                                 : std::string("unknown option: ") + argv[optind - 1];
                return false;
        }
    }
    options->operands.assign(argv + optind, argv + argc);
    // getopt stops at the first operand, so an option after it would become text; "--" before
    // the operands lets them begin with "-". --mask's operands are module changes, "-ORNE" among
    // them.
    const bool options_ended = optind > 1 && std::strcmp(argv[optind - 1], "--") == 0;
    if (options->command != Command::kMask && !options_ended) {
        for (size_t i = 1; i < options->operands.size(); ++i) {
            if (!LooksLikeOption(options->operands[i])) continue;
            *error = "option " + options->operands[i] + " after the argument '" +
                     options->operands[0] + "': options go first (-- before arguments that " +
                     "begin with -)";
            return false;
        }
    }
    return true;
}

std::string UsageProblem(const Options& options) {
    if (options.porcelain && options.command != Command::kStatus) {
        return "--porcelain goes with --status";
    }
    // Neither command writes a record, so a record's options would be ignored.
    if (options.command == Command::kStatus || options.command == Command::kMask) {
        const char* name = options.command == Command::kStatus ? "--status" : "--mask";
        const std::pair<bool, const char*> record_options[] = {
                {options.module.has_value(), "-t"},
                {options.severity.has_value(), "-p"},
                {options.class_name.has_value(), "-c"},
                {options.func_name.has_value(), "-f"},
        };
        for (const auto& [given, option] : record_options) {
            if (given) return std::string(option) + " does not go with " + name;
        }
    }
    switch (options.command) {
        case Command::kStatus:
            if (!options.operands.empty()) return "--status takes no arguments";
            return "";
        case Command::kMask:
            for (const std::string& name : options.operands) {
                if (IsMisplacedOption(name)) {
                    return "option " + name + " after --mask: every argument after --mask is " +
                           "a module name, so options go before it";
                }
            }
            return "";
        case Command::kDump:
            // A dump's records have their own priorities and the header <FUNC>.
            if (options.severity) return "-p does not go with --dump";
            if (options.class_name) return "-c does not go with --dump";
            if (options.operands.size() > 1) return "--dump takes at most one FILE";
            break;
        case Command::kWrite:
        case Command::kExplain:
            break;
    }
    if (!options.module) return "missing -t MODULE";
    return "";
}

}  // namespace plumix_tool
