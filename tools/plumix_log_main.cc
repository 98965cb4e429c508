// plumix-log: writes records through libplumix_log from shell scripts.
//
//   plumix-log -t MODULE [-p v|d|i|w|e|c|f] [-c CLASS] [-f FUNC] [MESSAGE...]
//   plumix-log --dump [-t MODULE] [-f FUNC] [FILE]
//
// Without MESSAGE, each line of standard input becomes one record.

#include <android/log.h>
#include <plumix_log.h>
#ifndef __ANDROID__
#include <android-base/properties.h>
#endif

#include <getopt.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

using namespace vendor::korvane::zunt_tools;

namespace {

constexpr int kUsageError = 2;

void PrintUsage() {
    std::cout
            << "usage: plumix-log -t MODULE [-p v|d|i|w|e|c|f] [-c CLASS] [-f FUNC] [MESSAGE...]\n"
               "       plumix-log --dump [-t MODULE] [-f FUNC] [FILE]\n"
#ifndef __ANDROID__
               "       --set KEY=VALUE sets a property first (repeatable)\n"
#endif
            ;
}

// One line, so that a calling script's log shows what went wrong without the usage text.
int UsageError(const std::string& message) {
    std::cerr << "plumix-log: " << message << " (see --help)\n";
    return kUsageError;
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
    while (!too_large && (n = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes->append(chunk, n);
        too_large = bytes->size() > kLimit;
    }
    const bool failed = std::ferror(file) != 0;
    const int read_errno = errno;
    if (file != stdin) std::fclose(file);
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

}  // namespace

int main(int argc, char** argv) {
    enum { kSetOption = 256, kDumpOption };
    static const option kOptions[] = {
            {"dump", no_argument, nullptr, kDumpOption},
#ifndef __ANDROID__
            {"set", required_argument, nullptr, kSetOption},
#endif
            {"help", no_argument, nullptr, 'h'},
            {nullptr, 0, nullptr, 0},
    };

    std::string module, class_name, func_name;
    bool has_module = false, dump = false;
    log::LogSeverity severity = log::INFO;
    opterr = 0;
    for (int opt; (opt = getopt_long(argc, argv, "+t:p:c:f:h", kOptions, nullptr)) != -1;) {
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
                dump = true;
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
            default:
                return UsageError(optopt != 0 && optopt < 256
                                          ? std::string("unknown option or missing value: -") +
                                                    static_cast<char>(optopt)
                                          : std::string("unknown option: ") + argv[optind - 1]);
        }
    }

#ifndef __ANDROID__
    // A host liblog hides records below INFO on its own; let the library's gate alone decide.
    __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
#endif

    if (dump) {
        if (argc - optind > 1) return UsageError("--dump takes at most one FILE");
        const std::string path = optind < argc ? argv[optind] : "-";
        std::string bytes, error;
        if (!ReadDumpInput(path, &bytes, &error)) {
            std::cerr << "plumix-log: " << error << "\n";
            return 1;
        }
        DUMPLOG(module, func_name, bytes.data(), static_cast<int>(bytes.size()));
        return 0;
    }

    if (!has_module) {
        return UsageError("missing -t MODULE");
    }
    if (optind < argc) {
        std::string message = argv[optind];
        for (int i = optind + 1; i < argc; ++i) message.append(" ").append(argv[i]);
        log::LogMessage(severity, module, class_name, func_name).stream() << message;
        return 0;
    }
    for (std::string line; std::getline(std::cin, line);) {
        log::LogMessage(severity, module, class_name, func_name).stream() << line;
    }
    return 0;
}
