// plumix-log: writes records through libplumix_log from shell scripts, and shows operators the
// switches that decide whether records are written.
//
//   plumix-log -t MODULE [-p PRIORITY] [-c CLASS] [-f FUNC] [MESSAGE...]
//   plumix-log --dump -t MODULE [-f FUNC] [FILE]
//   plumix-log --status [--porcelain]
//   plumix-log --mask MODULE... | --mask +MODULE|-MODULE...
//   plumix-log --explain -t MODULE [-p PRIORITY] [-c CLASS] [-f FUNC] [MESSAGE...]
//   plumix-log --version
//
// Without MESSAGE, each line of standard input becomes one record. The switches are read, parsed
// and applied by the library's own code, so what this tool says is what a record meets.

#include <plumix_log.h>
#ifndef __ANDROID__
#include <android-base/properties.h>
#endif

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../src/message/record_header.h"
#include "options.h"
#include "setting.h"
#include "switch_commands.h"
#include "switch_settings.h"
#include "usage.h"

// The build gives the project's version as bare numbers, 1.0.0, the same in both build systems.
#define PLUMIX_LOG_STRINGIFY_(text) #text
#define PLUMIX_LOG_TEXT_OF_(text) PLUMIX_LOG_STRINGIFY_(text)
#define PLUMIX_LOG_VERSION_TEXT PLUMIX_LOG_TEXT_OF_(PLUMIX_LOG_VERSION)

using namespace vendor::korvane::zunt_tools;
using plumix_tool::UsageError;

namespace {

void PrintUsage() {
    std::cout << "usage: plumix-log -t MODULE [-p PRIORITY] [-c CLASS] [-f FUNC] [MESSAGE...]\n"
                 "       plumix-log --dump -t MODULE [-f FUNC] [FILE]\n"
                 "       plumix-log --status [--porcelain]\n"
                 "       plumix-log --mask MODULE...          mask enabling exactly these modules\n"
                 "       plumix-log --mask +MODULE -MODULE... the mask in force, changed\n"
                 "       plumix-log --explain -t MODULE [-p P] [-c CLASS] [-f FUNC] [MESSAGE...]\n"
                 "                  would this record be written now, and if not, why\n"
                 "       plumix-log --version\n"
                 "PRIORITY is a letter, v d i w e c f, a name, verbose debug ... fatal (or warn),\n"
                 "in either case, or a number 0 to 6. Options go before MESSAGE or FILE; -- ends\n"
                 "them, for a MESSAGE that begins with -.\n"
                 "--mask takes every argument after it as a module name (all and none too),\n"
                 "so it comes last.\n"
#ifndef __ANDROID__
                 "--set KEY=VALUE sets a property first (repeatable)\n"
#endif
            ;
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

// Writes one line as a record, or returns false, having written nothing, when the record does not
// fit in memory. The text is put together apart, by the library's own header rule, and only then
// swapped into the record, so that no record goes out with a line cut short.
bool LogLine(log::LogSeverity severity, const std::string& module, const std::string& class_name,
             const std::string& func_name, const char* line, size_t length) {
    try {
        const log::internal::RecordHeader header(class_name, func_name);
        std::ostringstream text;
        text.exceptions(std::ios::badbit);
        text.write(header.data(), static_cast<std::streamsize>(header.size()));
        text.write(line, static_cast<std::streamsize>(length));
        log::LogMessage(severity, module, class_name, func_name)
                .stream()
                .rdbuf()
                ->swap(*text.rdbuf());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Each line of standard input becomes one record. Any failure to read or log a line, a line too
// long for memory included, ends the run with a one-line error once the lines before it are
// written.
int LogLines(log::LogSeverity severity, const std::string& module, const std::string& class_name,
             const std::string& func_name) {
    constexpr char kTooLong[] = "a line too long for memory";
    char* line = nullptr;
    size_t capacity = 0;
    std::string error;
    for (;;) {
        errno = 0;
        const ssize_t read = getline(&line, &capacity, stdin);
        if (read < 0) {
            // glibc's getline tells of a line too long for memory by ENOMEM alone, with neither
            // the error nor the end-of-file flag set.
            if (std::ferror(stdin) || !std::feof(stdin)) {
                error = errno == ENOMEM ? kTooLong : std::strerror(errno);
            }
            break;
        }
        size_t length = static_cast<size_t>(read);
        if (length > 0 && line[length - 1] == '\n') --length;
        if (!LogLine(severity, module, class_name, func_name, line, length)) {
            error = kTooLong;
            break;
        }
    }
    std::free(line);
    if (error.empty()) return 0;
    std::cerr << "plumix-log: standard input: " << error << "\n";
    return 1;
}

#ifndef __ANDROID__
// A host has no property service: --set fills the process's own, which the library reads. Any
// key is set, but one a slip away from a switch's is named, since it changes nothing, and so is
// a value its switch would not read as meant; a key given twice takes its last value. A value the
// process's properties refuse (a "ro." key set once already, where libbase keeps the first) ends
// the run, naming the key, before the command meets another value than the one asked for.
bool ApplySettings(const plumix_tool::Options& options) {
    std::set<std::string> keys;
    const auto warn = [](const std::string& what) {
        std::cerr << "plumix-log: warning: " << what << "\n";
    };
    for (const auto& [key, value] : options.settings) {
        const std::string meant = plumix_tool::MeantSwitchKey(key);
        if (!meant.empty()) {
            warn(key + " is no switch of the library; did you mean " + meant + "? (set as given)");
        }
        const std::string surprise = log::internal::SettingSurprise(key, value);
        if (!surprise.empty()) warn(surprise + " (set as given)");
        if (!keys.insert(key).second) warn(key + " is set more than once; the last value holds");
        // A refusal shows as false, or, where libbase answers true regardless, as another value
        // read back.
        if (!android::base::SetProperty(key, value) ||
            android::base::GetProperty(key, "") != value) {
            std::cerr << "plumix-log: " << key << " cannot be set to " << value
                      << ": the process's properties refuse it\n";
            return false;
        }
    }
    return true;
}

// The switches PLUMIX_LOG_SWITCHES set as the library loaded and --set did not set again.
std::set<std::string> KeysFromEnvironment(const plumix_tool::Options& options) {
    std::set<std::string> keys;
    const char* text = std::getenv(log::internal::kSwitchesVariable);
    if (text == nullptr) return keys;
    std::vector<std::string> problems;
    for (const auto& setting : log::internal::ParseSwitchSettings(text, &problems)) {
        keys.insert(setting.key);
    }
    for (const auto& setting : options.settings) keys.erase(setting.first);
    return keys;
}
#endif

int Run(const plumix_tool::Options& options) {
    using plumix_tool::Command;
    const std::vector<std::string>& operands = options.operands;
    if (options.command == Command::kStatus) {
#ifdef __ANDROID__
        return plumix_tool::RunStatus(options.porcelain, {});
#else
        return plumix_tool::RunStatus(options.porcelain, KeysFromEnvironment(options));
#endif
    }
    if (options.command == Command::kMask) return plumix_tool::RunMask(operands);

    const std::string& module = *options.module;
    const std::string func_name = options.func_name.value_or("");
    if (options.command == Command::kDump) {
        const std::string path = operands.empty() ? "-" : operands[0];
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

    const log::LogSeverity severity = options.severity.value_or(log::INFO);
    const std::string class_name = options.class_name.value_or("");
    std::string message;
    for (size_t i = 0; i < operands.size(); ++i) {
        if (i > 0) message += ' ';
        message += operands[i];
    }
    // Without MESSAGE the record explained is the header alone: standard input is not read.
    if (options.command == Command::kExplain) {
        return plumix_tool::RunExplain(severity, module, class_name, func_name, message);
    }
    if (!operands.empty()) {
        log::LogMessage(severity, module, class_name, func_name).stream() << message;
        return 0;
    }
    return LogLines(severity, module, class_name, func_name);
}

}  // namespace

int main(int argc, char** argv) {
    plumix_tool::Options options;
    std::string error;
    if (!plumix_tool::ParseOptions(argc, argv, &options, &error)) return UsageError(error);
    if (options.help) {
        PrintUsage();
        return 0;
    }
    if (options.version) {
        std::cout << "plumix-log " << PLUMIX_LOG_VERSION_TEXT << "\n";
        return 0;
    }
    const std::string problem = plumix_tool::UsageProblem(options);
    if (!problem.empty()) return UsageError(problem);
#ifndef __ANDROID__
    if (!ApplySettings(options)) return 1;
#endif
    return Run(options);
}
