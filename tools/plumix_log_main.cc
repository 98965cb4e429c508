// plumix-log: writes records through libplumix_log from shell scripts, and shows operators the
// switches that decide whether records are written.
//
//   plumix-log -t MODULE [-p v|d|i|w|e|c|f] [-c CLASS] [-f FUNC] [MESSAGE...]
//   plumix-log --dump -t MODULE [-f FUNC] [FILE]
//   plumix-log --status [--porcelain]
//   plumix-log --mask MODULE... | --mask +MODULE|-MODULE...
//   plumix-log --explain -t MODULE [-p PRIORITY] [-c CLASS] [-f FUNC] [MESSAGE...]
//
// Without MESSAGE, each line of standard input becomes one record. The switches are read, parsed
// and applied by the library's own code, so what this tool says is what a record meets.

#include <android/log.h>
#include <plumix_log.h>
#ifndef __ANDROID__
#include <android-base/properties.h>
#endif

#include <getopt.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "switch_commands.h"
#include "usage.h"

using namespace vendor::korvane::zunt_tools;
using plumix_tool::UsageError;

namespace {

void PrintUsage() {
    std::cout
            << "usage: plumix-log -t MODULE [-p v|d|i|w|e|c|f] [-c CLASS] [-f FUNC] [MESSAGE...]\n"
               "       plumix-log --dump -t MODULE [-f FUNC] [FILE]\n"
               "       plumix-log --status [--porcelain]\n"
               "       plumix-log --mask MODULE...          mask enabling exactly these modules\n"
               "       plumix-log --mask +MODULE -MODULE... the mask in force, changed\n"
               "       plumix-log --explain -t MODULE [-p P] [-c CLASS] [-f FUNC] [MESSAGE...]\n"
               "                  would this record be written now, and if not, why\n"
               "--mask takes every argument after it as a module name, so it comes last.\n"
#ifndef __ANDROID__
               "--set KEY=VALUE sets a property first (repeatable)\n"
#endif
            ;
}

bool ParsePriority(const char* text, log::LogSeverity* severity) {
    static constexpr struct {
        char letter;
        log::LogSeverity severity;
    } kPriorities[] = {
            {'v', log::VERBOSE}, {'d', log::DEBUG},    {'i', log::INFO},  {'w', log::WARNING},
            {'e', log::ERROR},   {'c', log::CRITICAL}, {'f', log::FATAL},
    };
    if (std::strlen(text) != 1) return false;
    for (const auto& p : kPriorities) {
        if (p.letter == text[0]) {
            *severity = p.severity;
            return true;
        }
    }
    return false;
}

// Reads all of FILE ("-" for standard input) into bytes. Input larger than one DUMPLOG call can
// take is refused: a regular file by its size, a stream once it has grown past the limit, so that
// an endless stream cannot exhaust memory. On failure, says why in error.
bool ReadDumpInput(const std::string& path, std::string* bytes, std::string* error) {
    constexpr size_t kLimit = static_cast<size_t>(INT_MAX);
    const std::string name = path == "-" ? "standard input" : path;
    FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = name + ": " + std::strerror(errno);
        return false;
    }
    struct stat status;
    bool too_large = fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode) &&
                     static_cast<uintmax_t>(status.st_size) > kLimit;
    char chunk[64 * 1024];
    size_t n = 0;
    bool out_of_memory = false;
    while (!too_large && !out_of_memory && (n = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
        // A 32-bit process may run out of room well before the limit.
        try {
            bytes->append(chunk, n);
        } catch (const std::exception&) {
            out_of_memory = true;
        }
        too_large = bytes->size() > kLimit;
    }
    const bool failed = std::ferror(file) != 0;
    const int read_errno = errno;
    if (file != stdin) std::fclose(file);
    if (out_of_memory) {
        *error = name + ": too large to hold in memory";
        return false;
    }
    if (failed) {
        *error = name + ": " + std::strerror(read_errno);
        return false;
    }
    if (too_large) {
        *error = name + ": larger than one dump can take (" + std::to_string(kLimit) + " bytes)";
        return false;
    }
    return true;
}

// Each line of standard input becomes one record; a read error ends it with a one-line error.
int LogLines(log::LogSeverity severity, const std::string& module, const std::string& class_name,
             const std::string& func_name) {
    char* line = nullptr;
    size_t capacity = 0;
    ssize_t length;
    while ((length = getline(&line, &capacity, stdin)) >= 0) {
        if (length > 0 && line[length - 1] == '\n') --length;
        log::LogMessage(severity, module, class_name, func_name).stream()
                << std::string(line, static_cast<size_t>(length));
    }
    const int read_errno = errno;
    const bool failed = std::ferror(stdin) != 0;
    std::free(line);
    if (failed) {
        std::cerr << "plumix-log: standard input: " << std::strerror(read_errno) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    enum {
        kSetOption = 256,
        kDumpOption,
        kStatusOption,
        kPorcelainOption,
        kMaskOption,
        kExplainOption
    };
    static const option kOptions[] = {
            {"dump", no_argument, nullptr, kDumpOption},
            {"status", no_argument, nullptr, kStatusOption},
            {"porcelain", no_argument, nullptr, kPorcelainOption},
            {"mask", no_argument, nullptr, kMaskOption},
            {"explain", no_argument, nullptr, kExplainOption},
#ifndef __ANDROID__
            {"set", required_argument, nullptr, kSetOption},
#endif
            {"help", no_argument, nullptr, 'h'},
            {nullptr, 0, nullptr, 0},
    };

    std::string module, class_name, func_name;
    bool has_module = false, porcelain = false;
    int mode = 0;  // one of the mode options, or 0 for writing a record
    log::LogSeverity severity = log::INFO;
    opterr = 0;
    // --mask ends the options: what follows are module names, and "-ORNE" is one of them.
    for (int opt; mode != kMaskOption &&
                  (opt = getopt_long(argc, argv, "+:t:p:c:f:h", kOptions, nullptr)) != -1;) {
        switch (opt) {
            case 't':
                module = optarg;
                has_module = true;
                break;
            case 'p':
                if (!ParsePriority(optarg, &severity)) {
                    return UsageError(std::string("unknown priority '") + optarg +
                                      "' (use v, d, i, w, e, c or f)");
                }
                break;
            case 'c':
                class_name = optarg;
                break;
            case 'f':
                func_name = optarg;
                break;
            case kDumpOption:
            case kStatusOption:
            case kMaskOption:
            case kExplainOption:
                if (mode != 0 && mode != opt) {
                    return UsageError("--dump, --status, --mask and --explain do not combine");
                }
                mode = opt;
                break;
            case kPorcelainOption:
                porcelain = true;
                break;
#ifndef __ANDROID__
            case kSetOption: {
                const char* equals = std::strchr(optarg, '=');
                if (equals == nullptr || equals == optarg) {
                    return UsageError(std::string("--set needs KEY=VALUE, got '") + optarg + "'");
                }
                android::base::SetProperty(std::string(optarg, equals - optarg), equals + 1);
                break;
            }
#endif
            case 'h':
                PrintUsage();
                return 0;
            case ':':
                return UsageError(std::string("missing value for ") + argv[optind - 1]);
            default:
                return UsageError(optopt != 0 && optopt < 256
                                          ? std::string("unknown option: -") +
                                                    static_cast<char>(optopt)
                                          : std::string("unknown option: ") + argv[optind - 1]);
        }
    }
    if (porcelain && mode != kStatusOption) return UsageError("--porcelain goes with --status");

    if (mode == kStatusOption) {
        if (optind < argc) return UsageError("--status takes no arguments");
        return plumix_tool::RunStatus(porcelain);
    }
    if (mode == kMaskOption) {
        return plumix_tool::RunMask(std::vector<std::string>(argv + optind, argv + argc));
    }

#ifndef __ANDROID__
    // A host liblog hides records below INFO on its own; let the library's gate alone decide.
    __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
#endif

    if (!has_module) {
        return UsageError("missing -t MODULE");
    }
    if (mode == kDumpOption) {
        if (argc - optind > 1) return UsageError("--dump takes at most one FILE");
        const std::string path = optind < argc ? argv[optind] : "-";
        std::string bytes, error;
        if (!ReadDumpInput(path, &bytes, &error)) {
            std::cerr << "plumix-log: " << error << "\n";
            return 1;
        }
        // Rendering a large dump can run out of memory, which DUMPLOG passes on.
        try {
            DUMPLOG(module, func_name, bytes.data(), static_cast<int>(bytes.size()));
        } catch (const std::exception& e) {
            std::cerr << "plumix-log: dump failed: " << e.what() << "\n";
            return 1;
        }
        return 0;
    }

    std::string message;
    for (int i = optind; i < argc; ++i) {
        if (i > optind) message += ' ';
        message += argv[i];
    }
    // Without MESSAGE the record explained is the header alone: standard input is not read.
    if (mode == kExplainOption) {
        return plumix_tool::RunExplain(severity, module, class_name, func_name, message);
    }
    if (optind < argc) {
        log::LogMessage(severity, module, class_name, func_name).stream() << message;
        return 0;
    }
    return LogLines(severity, module, class_name, func_name);
}
