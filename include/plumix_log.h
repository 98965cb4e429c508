/*
 * libplumix_log: one way for the tool suite's vendor programs to write Android log records.
 *
 * Writing a record
 *   A macro names the severity and the module; the record is headed by the calling function,
 *   "<function>", or with a class name "<Class::function>", and what is streamed follows the
 *   header directly. The module is the record's tag, and the key of the category mask below.
 *   The function is __func__, so inside a lambda the header is "<operator()>".
 *
 * Deciding
 *   Five system properties decide, afresh for every record, whether it is written:
 *
 *     vendor.plumix.log.on           "1"        only the exact text "1" turns logging on
 *     vendor.plumix.log.severity     "2"        lowest severity written
 *     vendor.plumix.log.catgory      "0x01011"  category mask, one hexadecimal digit per module
 *     vendor.plumix.log.buffer.size  "1024"     a record must be shorter than this; 0 is no limit
 *     vendor.plumix.dumplog.on       "0"        anything but "0" enables DUMPLOG's chunk records
 *
 *   ERROR and above bypass the module and severity switches, never the on switch. Past them, a
 *   record meets liblog's own filter: on a device the tag's log.tag properties and the process's
 *   minimum priority, on a host that minimum alone, INFO unless the program lowers it.
 *
 *   On a host, which has no property service, the library applies as it loads the settings of
 *   PLUMIX_LOG_SWITCHES ("vendor.plumix.log.severity=1 vendor.plumix.dumplog.on=1"), and sets
 *   liblog's minimum priority by ANDROID_LOG_TAGS ("*:d"); a device ignores both.
 *
 * Cost
 *   Each macro asks the switches first: a dropped record builds nothing and evaluates nothing
 *   after <<. When it passes, the record is a LogMessage, whose destructor decides once more,
 *   with the length check, so a property changed in between is still honoured. A call site whose
 *   module is a string literal or another const char array remembers the switches' verdict until
 *   a property anywhere changes, where the switches are read through the property area (a
 *   device): a dropped record is then one read of the area's serial, one load and a compare. A
 *   module given any other way (a pointer, a std::string, a char buffer) is asked afresh, uncopied.
 *
 * Severities
 *   A bare name (INFO) always means the library's, whatever the caller's scope holds (libbase's
 *   names through a using-directive, a variable named INFO); any expression of type LogSeverity
 *   works too. Each macro is one statement, safe in an unbraced if/else, and evaluates its
 *   severity and module once. The macros need C++17.
 *
 * Signals
 *   Nothing here is async-signal-safe: a record allocates and takes locks, so a signal handler
 *   that logs can hang the thread it interrupted.
 *
 * errno
 *   No function or macro of the library changes errno as its caller sees it, written or dropped;
 *   a macro's record also puts back what its streamed expressions changed.
 *
 * Naming the namespace
 *   Through an alias, not a using-directive, which would make log() of <cmath> ambiguous:
 *     namespace plog = vendor::korvane::zunt_tools::log;
 */
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#define PLUMIX_LOG_EXPORT __attribute__((visibility("default")))

// Records -----------------------------------------------------------------------------------------

// PLUMIX_LOG(severity, module) << ...;
//   PLUMIX_LOG(INFO, "VELK") << "started, id " << id;          // "<run>started, id 7"
#define PLUMIX_LOG(severity, module) \
    PLUMIX_LOG_AT_(__COUNTER__, severity, module, ::std::string(), true)

// PLUMIX_LOG_CLASS(severity, module, className) << ...;
//   PLUMIX_LOG_CLASS(DEBUG, "VELK", "Hal") << "frame " << n;  // "<Hal::run>frame 12"
#define PLUMIX_LOG_CLASS(severity, module, className) \
    PLUMIX_LOG_AT_(__COUNTER__, severity, module, className, true)

// Only when condition, evaluated once after the severity, is true; when it is false nothing else
// is evaluated.
//   PLUMIX_LOG_IF(WARNING, "VELK", retries > 3) << "retry " << retries;  // "<run>retry 4"
#define PLUMIX_LOG_IF(severity, module, condition) \
    PLUMIX_LOG_AT_(__COUNTER__, severity, module, ::std::string(), condition)
#define PLUMIX_LOG_CLASS_IF(severity, module, className, condition) \
    PLUMIX_LOG_AT_(__COUNTER__, severity, module, className, condition)

// The record ends with ": " and the text of errno as it was when the statement began, before any
// argument was evaluated.
//   PLUMIX_PLOG(ERROR, "VELK") << "open " << path;  // "<run>open /dev/x: No such file or
//   directory"
#define PLUMIX_PLOG(severity, module) \
    PLUMIX_PLOG_AT_(__COUNTER__, severity, module, ::std::string())
#define PLUMIX_PLOG_CLASS(severity, module, className) \
    PLUMIX_PLOG_AT_(__COUNTER__, severity, module, className)

// Rate-limited records ----------------------------------------------------------------------------
// Each counts, per call site and exactly on any number of threads, only the records that passed
// the switches, so a module switched on shows its first record at once. The site is one per
// instantiation of the code around it: each instantiation of a template or generic lambda, and
// each library that builds a hidden inline function, counts apart. A record dropped after it
// was counted (too long, a switch changed in between) has spent its turn and its held-back count.
// Every site starts afresh when a test's capture begins (<plumix_log_testing.h>).

// The 1st, (n+1)th, (2n+1)th ... record; n below 2 writes every one.
//   PLUMIX_LOG_EVERY_N(ERROR, "VELK", 100) << "bad frame";  // the 1st, 101st, 201st ...
#define PLUMIX_LOG_EVERY_N(severity, module, n) \
    PLUMIX_LOG_LIMITED_AT_(__COUNTER__, severity, module, ::std::string(), EveryN, n)
#define PLUMIX_LOG_CLASS_EVERY_N(severity, module, className, n) \
    PLUMIX_LOG_LIMITED_AT_(__COUNTER__, severity, module, className, EveryN, n)

// The first n records; n below 1 writes none.
//   PLUMIX_LOG_FIRST_N(INFO, "VELK", 5) << "probe " << id;  // the first 5
#define PLUMIX_LOG_FIRST_N(severity, module, n) \
    PLUMIX_LOG_LIMITED_AT_(__COUNTER__, severity, module, ::std::string(), FirstN, n)
#define PLUMIX_LOG_CLASS_FIRST_N(severity, module, className, n) \
    PLUMIX_LOG_LIMITED_AT_(__COUNTER__, severity, module, className, FirstN, n)

// At most one record per seconds (any number; 0 or less holds nothing back) on the monotonic
// clock, the first written; one written after some were held back says how many.
//   PLUMIX_LOG_EVERY_N_SEC(ERROR, "VELK", 2.5) << "poll failed";  // "<run>poll failed (24 held
//   back)"
#define PLUMIX_LOG_EVERY_N_SEC(severity, module, seconds) \
    PLUMIX_LOG_EVERY_N_SEC_AT_(__COUNTER__, severity, module, ::std::string(), seconds)
#define PLUMIX_LOG_CLASS_EVERY_N_SEC(severity, module, className, seconds) \
    PLUMIX_LOG_EVERY_N_SEC_AT_(__COUNTER__, severity, module, className, seconds)

// Dumps -------------------------------------------------------------------------------------------

// DUMPLOG(module, __func__, data, length) for data a pointer to any byte type (char, unsigned
// char, signed char, std::byte, void) or a contiguous container of them (std::vector<uint8_t>,
// std::string, std::array, a span: its data()), and a length of any integer type; one above
// INT_MAX is dumped in consecutive calls, a negative one writes nothing.
//   PLUMIX_DUMP("VELK", frame, frame.size());               // "<run>dumplog length is 39"
//   PLUMIX_DUMP_CLASS("VELK", "Hal", frame, frame.size());  // "<Hal::run>..."
#define PLUMIX_DUMP(module, data, length) PLUMIX_DUMP_CLASS(module, ::std::string(), data, length)
#define PLUMIX_DUMP_CLASS(module, className, data, length) \
    ::vendor::korvane::zunt_tools::log::internal::Dump(    \
            (module), (className), __func__,               \
            ::vendor::korvane::zunt_tools::log::internal::BytesOf(data), (length))

// Compile-time floor ------------------------------------------------------------------------------
// With PLUMIX_LOG_MIN_SEVERITY defined before this header is included (a bare severity name or
// its number 0 to 6, the same in every file of a program; anything else, an Android priority
// included, does not compile), no record macro writes a record below it,
// and one whose severity is a constant below it compiles to nothing, its text absent from the
// binary. LogMessage and the dumps are not held to it.
//   -DPLUMIX_LOG_MIN_SEVERITY=WARNING

namespace vendor::korvane::zunt_tools::log {

// The binary interface ----------------------------------------------------------------------------
// Callers built against this header link by these exact names and allocate these classes on
// their own stacks.

enum LogSeverity : int32_t {
    VERBOSE = 0,   // ANDROID_LOG_VERBOSE
    DEBUG = 1,     // ANDROID_LOG_DEBUG
    INFO = 2,      // ANDROID_LOG_INFO
    WARNING = 3,   // ANDROID_LOG_WARN
    ERROR = 4,     // ANDROID_LOG_ERROR; from here up the module and severity filters are bypassed
    CRITICAL = 5,  // ANDROID_LOG_ERROR as well
    FATAL = 6,     // ANDROID_LOG_FATAL; written like any other record, the process goes on
};

// One log record, for a record built across several statements, or for class and function names
// known only at run time:
//   plog::LogMessage record(plog::INFO, "VELK", "Hal", "run");
//   for (int id : ids) record.stream() << ' ' << id;  // "<Hal::run> 3 5 8", written at its end
// The text is "<" className "::" funcName ">" (no "className::" for an empty className), then
// what was streamed; no line end, time stamp or separator is added. Nothing is written before the
// destructor runs, and at most one record then: a text longer than one Android log record
// carries goes out in consecutive pieces, never cut, from one thread, with no other split record
// of the process between them (other records may come between). A tag is at most 256 bytes: a
// longer module name is written with its first 256 bytes as tag, cut between UTF-8 sequences, and
// the switches still decide on the whole name.
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

// Whether a record of this severity for this module would pass the switches now, its length
// aside, and then liblog's own filter: the same questions, in the same order, reading the same
// properties as a LogMessage's destructor, then the one __android_log_write asks before it
// writes. A severity outside VERBOSE..FATAL is never loggable. A failure to read a property
// (memory exhausted) reaches the caller, as it does from the constructors.
//
// The module may be given as a std::string, a std::string_view, a string literal or another
// const char* (null is an empty name); only the first overload's argument is a std::string, none
// is copied into one. IsLoggable reads the switches afresh on every call. A macro's call site
// whose module is a string literal or another const char array remembers its verdict instead,
// and asks again only when a property anywhere has changed since (read through the property
// area's serials, as on a device; a host without one asks afresh every time).
PLUMIX_LOG_EXPORT bool IsLoggable(LogSeverity severity, const std::string& module);
PLUMIX_LOG_EXPORT bool IsLoggable(LogSeverity severity, std::string_view module);
inline bool IsLoggable(LogSeverity severity, const char* module) {
    return IsLoggable(severity, module == nullptr ? std::string_view() : std::string_view(module));
}

}  // namespace vendor::korvane::zunt_tools::log

// Writes an INFO record "dumplog length is N", then, when vendor.plumix.dumplog.on is not "0"
// and the module is enabled, the rendered buffer as DEBUG records, each holding as many whole
// bytes as keep the record shorter than the buffer size (0 sets no size) and within what one
// Android log record carries. Null data or a length of 0 writes the one record "no dumplog
// output" instead; a negative length writes the length record alone. All records have the
// header "<" funcName ">" and pass the same switches as any LogMessage.
extern "C" PLUMIX_LOG_EXPORT void DUMPLOG(const std::string& module, const std::string& funcName,
                                          const char* data, int length);

// The machinery behind the macros, which needs the declarations above.
#include "plumix_log/internal/log_impl.h"
