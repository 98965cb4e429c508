// The machinery behind the macros of <plumix_log.h>, which includes it after its declarations.
// Not for callers: nothing here is binary interface, and any of it may change. Everything is
// inline; names ending in _ are the macros' own.
#pragma once

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

// The property area's serial, which bionic changes whenever any property is added or set. On
// bionic it is always there; elsewhere a process that defines it (a test's in-memory area) has
// one, and a glibc host has none. Read here, in the caller, so that a remembered verdict costs
// no call into the library.
#if defined(__BIONIC__)
#include <sys/system_properties.h>
#else
extern "C" [[gnu::weak]] uint32_t __system_property_area_serial();
#endif

namespace vendor::korvane::zunt_tools::log::internal {

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
// Inside the library's namespace, a bare name here means a severity of ours. An Android priority
// would be taken for the severity of its number, two above the one meant.
using FloorType = std::remove_cv_t<decltype(PLUMIX_LOG_MIN_SEVERITY)>;
static_assert(std::is_same_v<FloorType, LogSeverity> ||
                      (std::is_integral_v<FloorType> && !std::is_same_v<FloorType, bool>),
              "PLUMIX_LOG_MIN_SEVERITY is a severity (WARNING) or its number 0 to 6; an Android "
              "priority (ANDROID_LOG_WARN is 5, CRITICAL here) is not one");
constexpr int kMinSeverity = PLUMIX_LOG_MIN_SEVERITY;
static_assert(kMinSeverity >= VERBOSE && kMinSeverity <= FATAL,
              "PLUMIX_LOG_MIN_SEVERITY is a severity (WARNING) or its number 0 to 6");
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

// Bumped by the testing library's capture as it begins, so that the rate-limited sites of every
// library in the process start afresh in each test; it never changes outside tests.
extern PLUMIX_LOG_EXPORT std::atomic<uint32_t> g_rate_limit_generation;

// The generation a site counted under. Outside tests a pass pays one load of the process's
// generation for it, beside the site's own words.
class SiteGeneration {
  public:
    // True once for the pass that first meets a new generation: the site's counts then restart.
    bool IsNew() {
        const uint32_t current = g_rate_limit_generation.load(std::memory_order_relaxed);
        uint32_t counted = counted_.load(std::memory_order_relaxed);
        return counted != current &&
               counted_.compare_exchange_strong(counted, current, std::memory_order_relaxed);
    }

  private:
    std::atomic<uint32_t> counted_{0};
};

// The rate limits, one per call site. Each counts the passes that got through the gate, so that
// a module switched on shows its first record at once; an atomic count keeps them exact on many
// threads. A record the destructor then drops (the length check, a switch changed in between)
// has spent its pass.

// A site's count of passes, from 0 again in each generation.
class PassCount {
  public:
    std::atomic<uint64_t>& Current() {
        if (generation_.IsNew()) passes_.store(0, std::memory_order_relaxed);
        return passes_;
    }

  private:
    SiteGeneration generation_;
    std::atomic<uint64_t> passes_{0};
};

// Writes the 1st, (n+1)th, (2n+1)th ... pass; an n below 2 writes every pass.
class EveryN {
  public:
    template <typename Count>
    bool ShouldWrite(Count n) {
        static_assert(std::is_integral_v<Count>, "n is an integer");
        const uint64_t pass = passes_.Current().fetch_add(1, std::memory_order_relaxed);
        return n < 2 || pass % static_cast<uint64_t>(n) == 0;
    }

  private:
    PassCount passes_;
};

// Writes the first n passes.
class FirstN {
  public:
    template <typename Count>
    bool ShouldWrite(Count n) {
        static_assert(std::is_integral_v<Count>, "n is an integer");
        std::atomic<uint64_t>& passes = passes_.Current();
        if (n < 1) return false;
        const auto limit = static_cast<uint64_t>(n);
        // Past the limit a pass only reads, so the count neither contends nor wraps.
        if (passes.load(std::memory_order_relaxed) >= limit) return false;
        return passes.fetch_add(1, std::memory_order_relaxed) < limit;
    }

  private:
    PassCount passes_;
};

// Writes a pass when seconds have gone by on the monotonic clock since the last one written, the
// first pass always; held_back then says how many passes were held back since. A pass is held
// back only when its own time is not due, and counted once, in a record written after it.
class EverySeconds {
  public:
    bool ShouldWrite(double seconds, uint64_t& held_back) {
        if (generation_.IsNew()) {
            next_.store(kDueNow, std::memory_order_relaxed);
            held_back_.store(0, std::memory_order_relaxed);
        }
        // Also NaN: no wait, so no clock, and no store while the site has nothing to forget.
        if (!(seconds > 0)) {
            if (next_.load(std::memory_order_relaxed) != kDueNow) {
                next_.store(kDueNow, std::memory_order_relaxed);
            }
            held_back = TakeHeldBack();
            return true;
        }
        const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count();
        int64_t next = next_.load(std::memory_order_relaxed);
        // A pass that loses the exchange meets the time the winner set, and is held back only if
        // that is still ahead of its own.
        while (now >= next) {
            if (next_.compare_exchange_weak(next, Later(now, seconds), std::memory_order_relaxed)) {
                held_back = TakeHeldBack();
                return true;
            }
        }
        held_back_.fetch_add(1, std::memory_order_relaxed);
        return false;
    }

  private:
    static constexpr int64_t kDueNow = INT64_MIN;

    // For ever past what the clock counts.
    static int64_t Later(int64_t now, double seconds) {
        const double wait = seconds * 1e9;
        if (wait >= static_cast<double>(INT64_MAX - now)) return INT64_MAX;
        return now + static_cast<int64_t>(wait);
    }

    // Reads before it writes, so that passes with none held back do not contend.
    uint64_t TakeHeldBack() {
        if (held_back_.load(std::memory_order_relaxed) == 0) return 0;
        return held_back_.exchange(0, std::memory_order_relaxed);
    }

    SiteGeneration generation_;
    std::atomic<int64_t> next_{kDueNow};
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

// A contiguous container of bytes (std::vector<uint8_t>, std::string, std::array, a span):
// its data().
template <typename Container, typename = decltype(BytesOf(std::declval<const Container&>().data()))>
const char* BytesOf(const Container& bytes) {
    return BytesOf(bytes.data());
}

// DUMPLOG for any integer length: in calls of at most INT_MAX bytes when longer. A negative
// length, which only a slip computes, writes nothing: there are no bytes to show, and DUMPLOG's
// length record would be a record of the slip.
template <typename Length>
void Dump(const std::string& module, const std::string& className, const char* funcName,
          const char* data, Length length) {
    static_assert(std::is_integral_v<Length> && !std::is_same_v<Length, bool>,
                  "a dump's length is an integer");
    if constexpr (std::is_signed_v<Length>) {
        if (length < 0) return;
    }
    const ErrnoKeeper errno_keeper;
    const std::string header = className.empty() ? funcName : className + "::" + funcName;
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

// A macro call site's memory of its last verdict, in one word, so that no thread reads a verdict
// beside another's serial: the property area's serial it was decided under (bits 32-63), the low
// 27 bits of the module's address (5-31), that it is remembered (4), that the record passes the
// switches (3), and the severity (0-2). Zero, as built, matches no question. A verdict is taken
// only for the serial read before its switches were asked, so a property changed since shows as
// another serial; the address keeps apart the names of one site that picks its array from a
// table. Only a drop is answered here: a record that passes still asks liblog's filter.
class SiteVerdict {
  public:
    static constexpr uint64_t kPasses = 1 << 3;

    // The word remembered for a record dropped at this serial, severity and module.
    static uint64_t DroppedAt(uint32_t area_serial, LogSeverity severity, const char* module) {
        constexpr uint64_t kRemembered = 1 << 4;
        const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(module)) << 5;
        return uint64_t{area_serial} << 32 | address | kRemembered |
               (static_cast<uint32_t>(severity) & 7);
    }

    uint64_t Load() const { return word_.load(std::memory_order_relaxed); }
    void Store(uint64_t word) { word_.store(word, std::memory_order_relaxed); }

  private:
    static_assert(std::atomic<uint64_t>::is_always_lock_free, "a site's word is lock-free");
    std::atomic<uint64_t> word_{0};
};

// IsLoggable for a call site with a SiteVerdict: answers from it when it still holds, or asks
// and remembers. An out-of-range severity, which the 3 bits may confuse with another, can only
// be answered "dropped", its right answer.
PLUMIX_LOG_EXPORT bool IsLoggableAt(SiteVerdict& site, LogSeverity severity,
                                    std::string_view module);

// A module's text, however given; a null pointer is an empty name.
inline std::string_view ModuleText(std::string_view module) {
    return module;
}
inline std::string_view ModuleText(const char* module) {
    return module == nullptr ? std::string_view() : std::string_view(module);
}

// A module as the LogMessage of a passing record takes it: a std::string as it is, anything else
// copied into one only now.
inline const std::string& ModuleString(const std::string& module) {
    return module;
}
template <typename Module>
std::string ModuleString(const Module& module) {
    return std::string(ModuleText(module));
}

// A module whose text cannot change between records: a string literal or another const char
// array, whose text is taken as fixed. A mutable char buffer, a pointer or a string may hold
// another name next time.
template <typename Module>
inline constexpr bool kIsFixedText = false;
template <size_t N>
inline constexpr bool kIsFixedText<const char (&)[N]> = true;

// The macros' gate, with the call site's SiteVerdict, which only a fixed text uses.
template <typename Module>
bool IsLoggableHere(LogSeverity severity, Module&& module, SiteVerdict& site) {
    if constexpr (kIsFixedText<Module>) {
#if !defined(__BIONIC__)
// A caller that defines the function itself (a test's own property area) would be told that its
// address cannot be null.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Waddress"
        if (__system_property_area_serial == nullptr) return IsLoggable(severity, module);
#pragma GCC diagnostic pop
#endif
        const uint64_t dropped =
                SiteVerdict::DroppedAt(__system_property_area_serial(), severity, module);
        if (site.Load() == dropped) return false;
        return IsLoggableAt(site, severity, module);
    } else {
        return IsLoggable(severity, ModuleText(module));
    }
}

// Gives the streamed record the type of the branch that skips it.
struct Voidify {
    void operator&(std::ostream&) {}
};

}  // namespace vendor::korvane::zunt_tools::log::internal

// The macros ask IsLoggableHere first and build the LogMessage only when it says yes; the
// destructor then decides once more, with the length check, so a property changed in between is
// still honoured. Each macro's locals carry a number of its own (__COUNTER__), so that a macro
// nested in another's streamed text shadows none of them.
#define PLUMIX_LOG_JOIN_(a, b) a##b
#define PLUMIX_LOG_NAME_(name, id) PLUMIX_LOG_JOIN_(plumix_log_##name##_, id)

// Declares a variable for the rest of the statement, which becomes the switch's body. Unlike an
// if with an initialiser, a switch has no else for the caller's own else to bind to, so a macro
// built from these stays one statement, safe in an unbraced if/else.
#define PLUMIX_LOG_DECLARE_(declaration) \
    switch (declaration; 0)              \
    default:

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
#define PLUMIX_LOG_BIND_(id, severity, module, condition)                                       \
    PLUMIX_LOG_DECLARE_(const ::vendor::korvane::zunt_tools::log::LogSeverity PLUMIX_LOG_NAME_( \
                                sev, id) = PLUMIX_LOG_SEVERITY_(severity))                      \
    for (bool PLUMIX_LOG_NAME_(go, id) =                                                        \
                 PLUMIX_LOG_ABOVE_FLOOR_(PLUMIX_LOG_NAME_(sev, id)) && (condition);             \
         PLUMIX_LOG_NAME_(go, id); PLUMIX_LOG_NAME_(go, id) = false)                            \
    PLUMIX_LOG_DECLARE_(auto&& PLUMIX_LOG_NAME_(mod, id) = (module))

// The gate, then the rate limit, then the record and everything streamed into it; one
// expression, built only when both say yes.
#define PLUMIX_LOG_RECORD_IF_(id, admitted, className, tail)                                      \
    !::vendor::korvane::zunt_tools::log::internal::IsLoggableHere(                                \
            PLUMIX_LOG_NAME_(sev, id), PLUMIX_LOG_NAME_(mod, id),                                 \
            PLUMIX_LOG_SITE_(SiteVerdict)) ||                                                     \
                    !(admitted)                                                                   \
            ? (void)0                                                                             \
            : ::vendor::korvane::zunt_tools::log::internal::Voidify() &                           \
                      ::vendor::korvane::zunt_tools::log::internal::MacroRecord(                  \
                              ::vendor::korvane::zunt_tools::log::LogMessage(                     \
                                      PLUMIX_LOG_NAME_(sev, id),                                  \
                                      ::vendor::korvane::zunt_tools::log::internal::ModuleString( \
                                              PLUMIX_LOG_NAME_(mod, id)),                         \
                                      (className), __func__),                                     \
                              tail)                                                               \
                              .stream()

// The state of one call site (its verdict, its rate limit), whatever function or lambda holds it;
// constant-initialised, so reaching it costs no guard.
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
    PLUMIX_LOG_DECLARE_(::std::uint64_t PLUMIX_LOG_NAME_(held, id) = 0)                            \
    PLUMIX_LOG_RECORD_IF_(                                                                         \
            id, PLUMIX_LOG_SITE_(EverySeconds).ShouldWrite((seconds), PLUMIX_LOG_NAME_(held, id)), \
            className,                                                                             \
            ::vendor::korvane::zunt_tools::log::internal::HeldBack{PLUMIX_LOG_NAME_(held, id)})

// errno is taken before anything else of the statement is evaluated.
#define PLUMIX_PLOG_AT_(id, severity, module, className)               \
    PLUMIX_LOG_DECLARE_(const int PLUMIX_LOG_NAME_(errno, id) = errno) \
    PLUMIX_LOG_BIND_(id, severity, module, true)                       \
    PLUMIX_LOG_RECORD_IF_(                                             \
            id, true, className,                                       \
            ::vendor::korvane::zunt_tools::log::internal::ErrnoText{PLUMIX_LOG_NAME_(errno, id)})
