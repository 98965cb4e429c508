/*
 * libplumix_log: one way for the tool suite's vendor programs to write Android log records.
 *
 * Callers write records through the macros, which ask the gate first: a record that is off costs
 * about as much as reading the properties that turn it off, and nothing after << is evaluated.
 *
 *   PLUMIX_LOG(INFO, "VELK") << "started, id " << id;             // "<run>started, id 7"
 *   PLUMIX_LOG_CLASS(DEBUG, "VELK", "Hal") << "frame " << Describe(frame);  // "<Hal::run>..."
 *   PLUMIX_LOG_IF(WARNING, "VELK", retries > 3) << "retry " << retries;  // only when true
 *   PLUMIX_LOG_EVERY_N(ERROR, "VELK", 100) << "bad frame";        // 1st, 101st, 201st ...
 *   PLUMIX_LOG_FIRST_N(INFO, "VELK", 5) << "probe " << id;        // the first 5
 *   PLUMIX_LOG_EVERY_N_SEC(ERROR, "VELK", 2.5) << "poll failed";  // "... (N held back)"
 *   PLUMIX_PLOG(ERROR, "VELK") << "open " << path;                // "...: No such file or ..."
 *   PLUMIX_DUMP("VELK", frame.data(), frame.size());              // DUMPLOG with "<run>"
 *   PLUMIX_DUMP_CLASS("VELK", "Hal", frame.data(), frame.size()); // DUMPLOG with "<Hal::run>"
 *
 * Each record macro has a _CLASS form, named as above (PLUMIX_LOG_CLASS_IF, _CLASS_EVERY_N,
 * _CLASS_FIRST_N, _CLASS_EVERY_N_SEC, PLUMIX_PLOG_CLASS) with className after the module, whose
 * header is "<className::function>". The header names the calling function (__func__). The
 * severity is a bare name (INFO), which always means the library's whatever the caller's scope
 * holds (libbase's names through a using-directive, a variable named INFO), or any expression of
 * type LogSeverity. Each macro is one statement, safe in an unbraced if/else, and evaluates its
 * severity and module once; they need C++17. The rate limits count, per call site and exactly on
 * any number of threads, only the records that passed the gate. Use LogMessage directly for a
 * record built across several statements, or for class and function names known only at run
 * time.
 *
 * Compile-time floor: with PLUMIX_LOG_MIN_SEVERITY defined before this header is included (a bare
 * severity name or its number, the same in every file of a program), no record macro writes a
 * record below it, and one whose severity is a constant below it compiles to nothing. LogMessage
 * and the dumps are not held to it.
 *
 * errno: no function or macro of the library changes errno as its caller sees it, written or
 * dropped; a macro's record also puts back what its streamed expressions changed.
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
 * Every declaration below but the macros' inline helpers (names ending in _, namespace internal)
 * is part of the library's binary interface: callers built against this header link by these
 * exact names and allocate these classes on their own stacks.
 */
#pragma once

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <type_traits>

#define PLUMIX_LOG_EXPORT __attribute__((visibility("default")))

namespace vendor::korvane::zunt_tools::log {

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

}  // namespace vendor::korvane::zunt_tools::log

// Writes an INFO record "dumplog length is N", then, when vendor.plumix.dumplog.on is not "0"
// and the module is enabled, the rendered buffer as DEBUG records, each holding as many whole
// bytes as keep the record shorter than the buffer size (0 sets no size) and within what one
// Android log record carries. Null data or a length of 0 writes the one record "no dumplog
// output" instead. All records have the header "<" funcName ">" and pass the same gate as any
// LogMessage.
extern "C" PLUMIX_LOG_EXPORT void DUMPLOG(const std::string& module, const std::string& funcName,
                                          const char* data, int length);

namespace vendor::korvane::zunt_tools::log {

// The macros' helpers. Inline, so not part of the library's binary interface.
namespace internal {

// Puts errno back as its owner found it: a caller reads errno after a failed call and may log
// before it does.
class ErrnoKeeper {
  public:
    ErrnoKeeper() : saved_(errno) {}
    ~ErrnoKeeper() { errno = saved_; }
    ErrnoKeeper(const ErrnoKeeper&) = delete;
    ErrnoKeeper& operator=(const ErrnoKeeper&) = delete;

  private:
    int saved_;
};

#ifdef PLUMIX_LOG_MIN_SEVERITY
// Inside the library's namespace, a bare name here means a severity of ours.
constexpr int kMinSeverity = PLUMIX_LOG_MIN_SEVERITY;
#endif

// The tails a macro's record ends with, after everything streamed.
struct NoTail {
    void AppendTo(std::ostream&) const {}
};

struct ErrnoText {
    int value;

    void AppendTo(std::ostream& out) const {
        char buffer[128] = "";
        out << ": " << Describe(buffer, sizeof(buffer));
    }

    // glibc's strerror_r looks its text up among the translations, a tenth of a written record;
    // its untranslated description is the text bionic gives anyway.
    const char* Describe(char* buffer, size_t size) const {
#if defined(__GLIBC__) && defined(_GNU_SOURCE) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 32)
        if (const char* description = strerrordesc_np(value)) return description;
#endif
        return Text(strerror_r(value, buffer, size), buffer);
    }
    // The XSI strerror_r fills the buffer; the GNU one may answer with a text of its own.
    static const char* Text(int, const char* buffer) {
        return buffer;
    }
    static const char* Text(const char* text, const char*) {
        return text;
    }
};

struct HeldBack {
    uint64_t count;

    void AppendTo(std::ostream& out) const {
        if (count > 0) out << " (" << count << " held back)";
    }
};

// A macro's record. Built after its LogMessage, so destroyed before it: the tail goes in after
// the streamed text, and errno, kept across that text and the tail, is back before the
// LogMessage, which keeps it too, writes.
template <typename Tail>
class MacroRecord {
  public:
    MacroRecord(LogMessage&& record, Tail tail) : record_(record), tail_(tail) {}
    ~MacroRecord() { tail_.AppendTo(record_.stream()); }
    MacroRecord(const MacroRecord&) = delete;
    MacroRecord& operator=(const MacroRecord&) = delete;

    std::ostringstream& stream() { return record_.stream(); }

  private:
    ErrnoKeeper errno_keeper_;
    LogMessage& record_;
    Tail tail_;
};

// The rate limits, one per call site. Each counts the passes that got through the gate, so that
// a module switched on shows its first record at once; an atomic count keeps them exact on many
// threads.

// Writes the 1st, (n+1)th, (2n+1)th ... pass; an n below 2 writes every pass.
class EveryN {
  public:
    template <typename Count>
    bool ShouldWrite(Count n) {
        static_assert(std::is_integral_v<Count>, "n is an integer");
        const uint64_t pass = passes_.fetch_add(1, std::memory_order_relaxed);
        return n < 2 || pass % static_cast<uint64_t>(n) == 0;
    }

  private:
    std::atomic<uint64_t> passes_{0};
};

// Writes the first n passes.
class FirstN {
  public:
    template <typename Count>
    bool ShouldWrite(Count n) {
        static_assert(std::is_integral_v<Count>, "n is an integer");
        if (n < 1) return false;
        const auto limit = static_cast<uint64_t>(n);
        // Past the limit a pass only reads, so the count neither contends nor wraps.
        if (passes_.load(std::memory_order_relaxed) >= limit) return false;
        return passes_.fetch_add(1, std::memory_order_relaxed) < limit;
    }

  private:
    std::atomic<uint64_t> passes_{0};
};

// Writes a pass when seconds have gone by on the monotonic clock since the last one written, the
// first pass always; held_back then says how many passes were held back since.
class EverySeconds {
  public:
    bool ShouldWrite(double seconds, uint64_t& held_back) {
        const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count();
        int64_t next = next_.load(std::memory_order_relaxed);
        if (now < next ||
            !next_.compare_exchange_strong(next, Later(now, seconds), std::memory_order_relaxed)) {
            held_back_.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        held_back = held_back_.exchange(0, std::memory_order_relaxed);
        return true;
    }

  private:
    // No wait for a NaN, zero or negative seconds; for ever past what the clock counts.
    static int64_t Later(int64_t now, double seconds) {
        if (!(seconds > 0)) return now;
        const double wait = seconds * 1e9;
        if (wait >= static_cast<double>(INT64_MAX - now)) return INT64_MAX;
        return now + static_cast<int64_t>(wait);
    }

    std::atomic<int64_t> next_{INT64_MIN};
    std::atomic<uint64_t> held_back_{0};
};

// Any byte type as the char that DUMPLOG takes; literal nulls come here too.
inline const char* BytesOf(const char* data) {
    return data;
}

template <typename Byte>
const char* BytesOf(const Byte* data) {
    using Plain = std::remove_cv_t<Byte>;
    static_assert(std::is_same_v<Plain, unsigned char> || std::is_same_v<Plain, signed char> ||
                          std::is_same_v<Plain, std::byte> || std::is_same_v<Plain, void>,
                  "a dump takes a pointer to bytes: char, unsigned char, signed char, std::byte "
                  "or void");
    return static_cast<const char*>(static_cast<const void*>(data));
}

// DUMPLOG for any integer length: in calls of at most INT_MAX bytes when longer. A negative
// length goes to DUMPLOG, whose length record alone says so, held at INT_MIN.
template <typename Length>
void Dump(const std::string& module, const std::string& className, const char* funcName,
          const char* data, Length length) {
    static_assert(std::is_integral_v<Length> && !std::is_same_v<Length, bool>,
                  "a dump's length is an integer");
    const ErrnoKeeper errno_keeper;
    const std::string header = className.empty() ? funcName : className + "::" + funcName;
    if constexpr (std::is_signed_v<Length>) {
        if (length < 0) {
            const auto negative = static_cast<intmax_t>(length);
            DUMPLOG(module, header, data,
                    negative < INT_MIN ? INT_MIN : static_cast<int>(negative));
            return;
        }
    }
    constexpr auto kLongest = static_cast<uintmax_t>(INT_MAX);
    auto rest = static_cast<uintmax_t>(length);
    // Null data has no bytes to move on to: DUMPLOG's one record says so.
    if (data == nullptr && rest > kLongest) rest = kLongest;
    do {
        const int chunk = rest > kLongest ? INT_MAX : static_cast<int>(rest);
        DUMPLOG(module, header, data, chunk);
        data += chunk;
        rest -= static_cast<uintmax_t>(chunk);
    } while (rest > 0);
}

}  // namespace internal
}  // namespace vendor::korvane::zunt_tools::log

// The macros ask IsLoggable first and build the LogMessage only when it says yes; the
// destructor then decides once more, with the length check, so a property changed in between is
// still honoured. Names ending in _ are the macros' own. Each macro's locals carry a number of
// its own (__COUNTER__), so that a macro nested in another's streamed text shadows none of them.
#define PLUMIX_LOG_JOIN_(a, b) a##b
#define PLUMIX_LOG_NAME_(name, id) PLUMIX_LOG_JOIN_(plumix_log_##name##_, id)

// The caller's severity, where a bare INFO names ours whatever the caller's scope holds (a
// using-directive for libbase's severities, a variable named INFO): the lambda's own
// using-declarations are found before any name outside it. Any other expression of type
// LogSeverity works as well; one of another type does not compile. A C++17 lambda cannot capture
// a structured binding: copy one into a variable first.
#define PLUMIX_LOG_SEVERITY_(severity)                         \
    [&]() -> ::vendor::korvane::zunt_tools::log::LogSeverity { \
        using ::vendor::korvane::zunt_tools::log::VERBOSE;     \
        using ::vendor::korvane::zunt_tools::log::DEBUG;       \
        using ::vendor::korvane::zunt_tools::log::INFO;        \
        using ::vendor::korvane::zunt_tools::log::WARNING;     \
        using ::vendor::korvane::zunt_tools::log::ERROR;       \
        using ::vendor::korvane::zunt_tools::log::CRITICAL;    \
        using ::vendor::korvane::zunt_tools::log::FATAL;       \
        return (severity);                                     \
    }()

// Whether a severity reaches the compile-time floor. A constant below it makes the record's
// branch dead code, which the optimiser removes with everything streamed into it.
#ifdef PLUMIX_LOG_MIN_SEVERITY
#define PLUMIX_LOG_ABOVE_FLOOR_(severity) \
    (static_cast<int>(severity) >= ::vendor::korvane::zunt_tools::log::internal::kMinSeverity)
#else
#define PLUMIX_LOG_ABOVE_FLOOR_(severity) true
#endif

// The statement up to the gate: the severity, then the floor and the condition, then the module,
// each evaluated once. Only declarations and a loop that runs at most once, so there is no if
// whose else could meet the caller's.
#define PLUMIX_LOG_BIND_(id, severity, module, condition)                                     \
    switch (const ::vendor::korvane::zunt_tools::log::LogSeverity PLUMIX_LOG_NAME_(sev, id) = \
                    PLUMIX_LOG_SEVERITY_(severity);                                           \
            0)                                                                                \
    default:                                                                                  \
        for (bool PLUMIX_LOG_NAME_(go, id) =                                                  \
                     PLUMIX_LOG_ABOVE_FLOOR_(PLUMIX_LOG_NAME_(sev, id)) && (condition);       \
             PLUMIX_LOG_NAME_(go, id); PLUMIX_LOG_NAME_(go, id) = false)                      \
            switch (const ::std::string& PLUMIX_LOG_NAME_(mod, id) = (module); 0)             \
            default:

// The gate, then the rate limit, then the record and everything streamed into it; one
// expression, built only when both say yes.
#define PLUMIX_LOG_RECORD_IF_(id, admitted, className, tail)                                \
    !::vendor::korvane::zunt_tools::log::IsLoggable(PLUMIX_LOG_NAME_(sev, id),              \
                                                    PLUMIX_LOG_NAME_(mod, id)) ||           \
                    !(admitted)                                                             \
            ? (void)0                                                                       \
            : ::vendor::korvane::zunt_tools::log::LogMessageVoidify_() &                    \
                      ::vendor::korvane::zunt_tools::log::internal::MacroRecord(            \
                              ::vendor::korvane::zunt_tools::log::LogMessage(               \
                                      PLUMIX_LOG_NAME_(sev, id), PLUMIX_LOG_NAME_(mod, id), \
                                      (className), __func__),                               \
                              tail)                                                         \
                              .stream()

// The rate limit of one call site, whatever function or lambda holds it.
#define PLUMIX_LOG_SITE_(Limit)                                                      \
    []() -> ::vendor::korvane::zunt_tools::log::internal::Limit& {                   \
        static ::vendor::korvane::zunt_tools::log::internal::Limit plumix_log_site_; \
        return plumix_log_site_;                                                     \
    }()

#define PLUMIX_LOG_NO_TAIL_ ::vendor::korvane::zunt_tools::log::internal::NoTail()

#define PLUMIX_LOG_AT_(id, severity, module, className, condition) \
    PLUMIX_LOG_BIND_(id, severity, module, condition)              \
    PLUMIX_LOG_RECORD_IF_(id, true, className, PLUMIX_LOG_NO_TAIL_)

#define PLUMIX_LOG_LIMITED_AT_(id, severity, module, className, Limit, n)        \
    PLUMIX_LOG_BIND_(id, severity, module, true)                                 \
    PLUMIX_LOG_RECORD_IF_(id, PLUMIX_LOG_SITE_(Limit).ShouldWrite(n), className, \
                          PLUMIX_LOG_NO_TAIL_)

#define PLUMIX_LOG_EVERY_N_SEC_AT_(id, severity, module, className, seconds)                       \
    PLUMIX_LOG_BIND_(id, severity, module, true)                                                   \
    switch (::std::uint64_t PLUMIX_LOG_NAME_(held, id) = 0; 0)                                     \
    default:                                                                                       \
        PLUMIX_LOG_RECORD_IF_(                                                                     \
                id,                                                                                \
                PLUMIX_LOG_SITE_(EverySeconds).ShouldWrite((seconds), PLUMIX_LOG_NAME_(held, id)), \
                className,                                                                         \
                ::vendor::korvane::zunt_tools::log::internal::HeldBack{                            \
                        PLUMIX_LOG_NAME_(held, id)})

// errno is taken before anything else of the statement is evaluated.
#define PLUMIX_PLOG_AT_(id, severity, module, className)      \
    switch (const int PLUMIX_LOG_NAME_(errno, id) = errno; 0) \
    default:                                                  \
        PLUMIX_LOG_BIND_(id, severity, module, true)          \
    PLUMIX_LOG_RECORD_IF_(                                    \
            id, true, className,                              \
            ::vendor::korvane::zunt_tools::log::internal::ErrnoText{PLUMIX_LOG_NAME_(errno, id)})

// PLUMIX_LOG(severity, module) << ...; writes what LogMessage(severity, module, __func__) would.
#define PLUMIX_LOG(severity, module) \
    PLUMIX_LOG_AT_(__COUNTER__, severity, module, ::std::string(), true)

// PLUMIX_LOG_CLASS(severity, module, className) << ...; writes what
// LogMessage(severity, module, className, __func__) would.
#define PLUMIX_LOG_CLASS(severity, module, className) \
    PLUMIX_LOG_AT_(__COUNTER__, severity, module, className, true)

// The same when condition, evaluated once after the severity, is true; when it is false nothing
// else is evaluated.
#define PLUMIX_LOG_IF(severity, module, condition) \
    PLUMIX_LOG_AT_(__COUNTER__, severity, module, ::std::string(), condition)
#define PLUMIX_LOG_CLASS_IF(severity, module, className, condition) \
    PLUMIX_LOG_AT_(__COUNTER__, severity, module, className, condition)

// The 1st, (n+1)th, (2n+1)th ... record of the call site that passes the gate.
#define PLUMIX_LOG_EVERY_N(severity, module, n) \
    PLUMIX_LOG_LIMITED_AT_(__COUNTER__, severity, module, ::std::string(), EveryN, n)
#define PLUMIX_LOG_CLASS_EVERY_N(severity, module, className, n) \
    PLUMIX_LOG_LIMITED_AT_(__COUNTER__, severity, module, className, EveryN, n)

// The first n records of the call site that pass the gate.
#define PLUMIX_LOG_FIRST_N(severity, module, n) \
    PLUMIX_LOG_LIMITED_AT_(__COUNTER__, severity, module, ::std::string(), FirstN, n)
#define PLUMIX_LOG_CLASS_FIRST_N(severity, module, className, n) \
    PLUMIX_LOG_LIMITED_AT_(__COUNTER__, severity, module, className, FirstN, n)

// At most one record of the call site per seconds (a floating-point number) on the monotonic
// clock, the first written. A record written after some passed the gate and were held back ends
// with " (N held back)".
#define PLUMIX_LOG_EVERY_N_SEC(severity, module, seconds) \
    PLUMIX_LOG_EVERY_N_SEC_AT_(__COUNTER__, severity, module, ::std::string(), seconds)
#define PLUMIX_LOG_CLASS_EVERY_N_SEC(severity, module, className, seconds) \
    PLUMIX_LOG_EVERY_N_SEC_AT_(__COUNTER__, severity, module, className, seconds)

// The record ends with ": " and the text of errno as it was when the statement began.
#define PLUMIX_PLOG(severity, module) \
    PLUMIX_PLOG_AT_(__COUNTER__, severity, module, ::std::string())
#define PLUMIX_PLOG_CLASS(severity, module, className) \
    PLUMIX_PLOG_AT_(__COUNTER__, severity, module, className)

// PLUMIX_DUMP(module, data, length); is DUMPLOG(module, __func__, data, length) for data of any
// byte type and a length of any integer type; PLUMIX_DUMP_CLASS's records have the header
// "<" className "::" __func__ ">".
#define PLUMIX_DUMP(module, data, length) PLUMIX_DUMP_CLASS(module, ::std::string(), data, length)
#define PLUMIX_DUMP_CLASS(module, className, data, length) \
    ::vendor::korvane::zunt_tools::log::internal::Dump(    \
            (module), (className), __func__,               \
            ::vendor::korvane::zunt_tools::log::internal::BytesOf(data), (length))
