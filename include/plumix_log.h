/*
 * libplumix_log: one way for the tool suite's vendor programs to write Android log records.
 *
 * Callers write records through the macros, which ask the gate first: a record that is off costs
 * about as much as reading the properties that turn it off, and nothing after << is evaluated.
 *
 *   PLUMIX_LOG(INFO, "VELK") << "started, id " << id;             // "<run>started, id 7"
 *   PLUMIX_LOG_CLASS(DEBUG, "VELK", "Hal") << "frame " << Describe(frame);  // "<Hal::run>..."
 *   PLUMIX_DUMP("VELK", frame, frame_length);                     // DUMPLOG with "<run>"
 *
 * The header names the calling function (__func__). The severity is a bare name (INFO) or any
 * expression of type LogSeverity; a variable of the caller's, even one named like a severity,
 * means the variable. Each macro is one statement, safe in an unbraced if/else, and evaluates
 * its severity and module once; they need C++17. Use LogMessage directly for a record built
 * across several statements, or for class and function names known only at run time.
 *
 * The record text is a header, "<" className "::" funcName ">" (the "className::" part only when
 * className is not empty), followed directly by whatever was streamed. When the LogMessage is
 * destroyed the record is written to the Android log with the module name as tag, if the live
 * system properties let it through. A tag is at most 256 bytes: a longer module name is written
 * with its first 256 bytes as tag, cut between UTF-8 sequences, and the switches still decide on
 * the whole name.
 *
 *   vendor.plumix.log.on           "1"        only the exact text "1" turns logging on
 *   vendor.plumix.log.severity     "2"        lowest severity written
 *   vendor.plumix.log.catgory      "0x01011"  category mask, one hexadecimal digit per module
 *   vendor.plumix.log.buffer.size  "1024"     a record must be shorter than this; 0 is no limit
 *   vendor.plumix.dumplog.on       "0"        anything but "0" enables DUMPLOG's chunk records
 *
 * Records of severity ERROR and above bypass the module and severity filters, never the on switch.
 * Properties are read afresh for every record, so a change takes effect with the next one. Past
 * them, a record meets liblog's own filter, as every log record does: on a device the tag's
 * log.tag properties and the process's minimum priority, on a host that minimum alone, INFO
 * unless the program lowers it with __android_log_set_minimum_priority.
 *
 *   namespace plog = vendor::korvane::zunt_tools::log;  // not a using-directive: log() of <cmath>
 *   plog::LogMessage record(plog::INFO, "VELK", "Hal", "run");
 *   for (int id : ids) record.stream() << ' ' << id;
 *
 * Every declaration below is part of the library's binary interface: callers built against this
 * header link by these exact names and allocate these classes on their own stacks.
 */
#pragma once

#include <cstdint>
#include <sstream>
#include <string>

#define PLUMIX_LOG_EXPORT __attribute__((visibility("default")))

namespace vendor {
namespace korvane {
namespace zunt_tools {
namespace log {

enum LogSeverity : int32_t {
    VERBOSE = 0,   // ANDROID_LOG_VERBOSE
    DEBUG = 1,     // ANDROID_LOG_DEBUG
    INFO = 2,      // ANDROID_LOG_INFO
    WARNING = 3,   // ANDROID_LOG_WARN
    ERROR = 4,     // ANDROID_LOG_ERROR; from here up the module and severity filters are bypassed
    CRITICAL = 5,  // ANDROID_LOG_ERROR as well
    FATAL = 6,     // ANDROID_LOG_FATAL; written like any other record, the process goes on
};

// One log record. Nothing is written before the destructor runs, and at most one record then:
// a text longer than one Android log record carries goes out in consecutive pieces, never cut,
// with no other record of the process between them.
class PLUMIX_LOG_EXPORT LogMessage {
  public:
    // Writes the header. A failure (memory exhausted) reaches the caller.
    LogMessage(LogSeverity severity, const std::string& module, const std::string& className,
               const std::string& funcName);
    // The same with an empty className: the header is "<" funcName ">".
    LogMessage(LogSeverity severity, const std::string& module, const std::string& funcName);
    // The same, followed by length bytes of buffer rendered as LogMessageData does. A null
    // buffer or a length below 1 adds nothing. If rendering fails, the header-only record is
    // emitted as usual and the failure reaches the caller.
    LogMessage(LogSeverity severity, const std::string& module, const std::string& funcName,
               const char* buffer, int length);
    // Decides from the properties and writes the record, or drops it. Never throws.
    ~LogMessage() noexcept;

    LogMessage(const LogMessage&) = delete;
    LogMessage& operator=(const LogMessage&) = delete;

    std::ostringstream& stream();
    // A copy of the text gathered so far, header included.
    std::string ToString();

  private:
    std::ostringstream stream_;
    LogSeverity severity_;
    std::string module_;
};

// Raw bytes rendered as printable text: 0x20..0x7F as they are, 0x00..0x1F as their ASCII
// names in angle brackets ("<NUL>" ... "<US>"), 0x80..0xFF as two upper-case hexadecimal digits.
// Nothing separates the pieces: bytes 41 0A FF 42 render as "A<LF>FFB".
class PLUMIX_LOG_EXPORT LogMessageData {
  public:
    LogMessageData(const char* data, int length);
    ~LogMessageData();

    // Appends the rendering of length bytes; a null data or a length below 1 appends nothing.
    void AddBuffer(const char* data, int length);
    // The same for the characters of text.
    void AddBuffer(std::string& text);
    // A copy of everything rendered so far.
    std::string GetBuffer();

  private:
    std::string buffer_;
};

// Appends the name of a control code (byte 0x00..0x1F) and returns true; otherwise appends
// nothing and returns false.
PLUMIX_LOG_EXPORT bool ConvertCtrlASCII(char c, std::string& out);
// Appends the two hexadecimal digits of a byte 0x80..0xFF and returns true; otherwise appends
// nothing and returns false.
PLUMIX_LOG_EXPORT bool ConvertNonASCII(char c, std::string& out);

// Whether a record of this severity for this module would pass the gate now, its length aside,
// and then liblog's own filter: the same switches, in the same order, reading the same properties
// as a LogMessage's destructor, then the question __android_log_write asks before it writes.
// A severity outside VERBOSE..FATAL is never loggable. A failure to read a property (memory
// exhausted) reaches the caller, as it does from the constructors.
PLUMIX_LOG_EXPORT bool IsLoggable(LogSeverity severity, const std::string& module);

// For the macros: gives the streamed record the type of the branch that skips it. Inline, so
// not part of the library's binary interface.
struct LogMessageVoidify_ {
    void operator&(std::ostream&) {}
};

}  // namespace log
}  // namespace zunt_tools
}  // namespace korvane
}  // namespace vendor

// Writes an INFO record "dumplog length is N", then, when vendor.plumix.dumplog.on is not "0"
// and the module is enabled, the rendered buffer as DEBUG records, each holding as many whole
// bytes as keep the record shorter than the buffer size (0 sets no size) and within what one
// Android log record carries. Null data or a length of 0 writes the one record "no dumplog
// output" instead. All records have the header "<" funcName ">" and pass the same gate as any
// LogMessage.
extern "C" PLUMIX_LOG_EXPORT void DUMPLOG(const std::string& module, const std::string& funcName,
                                          const char* data, int length);

// The macros below ask IsLoggable first and build the LogMessage only when it says yes; the
// destructor then decides once more, with the length check, so a property changed in between is
// still honoured. Names ending in _ are the macros' own.

// The caller's severity, where a bare INFO names ours. The using-directive stays inside the
// lambda, and under it any name of the caller's (a variable, a constant) still wins over ours;
// an expression that is not a LogSeverity, or a name that is ambiguous, does not compile. A C++17
// lambda cannot capture a structured binding: copy one into a variable first.
#define PLUMIX_LOG_SEVERITY_(severity)                         \
    [&]() -> ::vendor::korvane::zunt_tools::log::LogSeverity { \
        using namespace ::vendor::korvane::zunt_tools::log;    \
        return (severity);                                     \
    }()

// The statement up to the record. The switches hold the module and the severity, each evaluated
// once, before the gate; the body is one expression, so there is no if whose else could meet the
// caller's, and the record and everything streamed into it are built only when the gate says yes.
#define PLUMIX_LOG_IF_LOGGABLE_(severity, module)                                            \
    switch (const ::std::string& plumix_log_module_ = (module); 0)                           \
    default:                                                                                 \
        switch (const ::vendor::korvane::zunt_tools::log::LogSeverity plumix_log_severity_ = \
                        PLUMIX_LOG_SEVERITY_(severity);                                      \
                0)                                                                           \
        default:                                                                             \
            !::vendor::korvane::zunt_tools::log::IsLoggable(plumix_log_severity_,            \
                                                            plumix_log_module_)              \
                    ? (void)0                                                                \
                    : ::vendor::korvane::zunt_tools::log::LogMessageVoidify_()&

// PLUMIX_LOG(severity, module) << ...; writes what LogMessage(severity, module, __func__) would.
#define PLUMIX_LOG(severity, module)                                                         \
    PLUMIX_LOG_IF_LOGGABLE_(severity, module)                                                \
    ::vendor::korvane::zunt_tools::log::LogMessage(plumix_log_severity_, plumix_log_module_, \
                                                   __func__)                                 \
            .stream()

// PLUMIX_LOG_CLASS(severity, module, className) << ...; writes what
// LogMessage(severity, module, className, __func__) would.
#define PLUMIX_LOG_CLASS(severity, module, className)                                        \
    PLUMIX_LOG_IF_LOGGABLE_(severity, module)                                                \
    ::vendor::korvane::zunt_tools::log::LogMessage(plumix_log_severity_, plumix_log_module_, \
                                                   (className), __func__)                    \
            .stream()

// PLUMIX_DUMP(module, data, length); is DUMPLOG(module, __func__, data, length).
#define PLUMIX_DUMP(module, data, length) ::DUMPLOG((module), __func__, (data), (length))
