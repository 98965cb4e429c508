/*
 * Test support for callers of libplumix_log: the records their code writes, captured instead of
 * logged, and the switches set for one test. A static library of its own (CMake target
 * plumix_log::testing, pkg-config plumix_log_testing), never part of libplumix_log.so.
 *
 *   namespace plog = vendor::korvane::zunt_tools::log;
 *
 *   TEST(Probe, WritesItsRegisterAtDebug) {
 *       plog::testing::ScopedLogCapture capture;
 *       plog::testing::ScopedProperty threshold("vendor.plumix.log.severity", "1");
 *       Probe();  // PLUMIX_LOG(DEBUG, "VELK") << "register " << 7;
 *       EXPECT_EQ(capture.Records(), (std::vector<plog::testing::CapturedRecord>{
 *                                            {ANDROID_LOG_DEBUG, "VELK", "<Probe>register 7"}}));
 *   }
 *
 * Prefer the alias to a using-directive: with one for the log namespace, this namespace and
 * GoogleTest's ::testing make every unqualified testing:: ambiguous.
 */
#pragma once

#include <plumix_log.h>

#include <iosfwd>
#include <string>
#include <vector>

namespace vendor::korvane::zunt_tools::log {
namespace testing {

// One record as liblog was handed it. The priority is liblog's (ANDROID_LOG_VERBOSE ..
// ANDROID_LOG_FATAL from <android/log.h>), not the LogSeverity it was written with.
struct CapturedRecord {
    int priority;
    std::string tag;
    std::string text;
};

inline bool operator==(const CapturedRecord& a, const CapturedRecord& b) {
    return a.priority == b.priority && a.tag == b.tag && a.text == b.text;
}

// As the initialiser it compares equal to, which is how GoogleTest shows it in a failure:
//   {ANDROID_LOG_DEBUG, "VELK", "<Probe>register 7"}
std::ostream& operator<<(std::ostream& out, const CapturedRecord& record);

// While it lives, every record written in the process, on any thread, comes here instead of the
// log, and liblog's minimum priority is VERBOSE, so the library's switches alone decide what is
// written. Its end hands back the capture it stood in for, or else liblog's default logger
// (liblog cannot tell which logger was in place), and the minimum priority in force before it.
// Captures may nest; they end in the reverse order.
//
// As it begins, every rate-limited call site of the process (EVERY_N, FIRST_N, EVERY_N_SEC) starts
// afresh, its counts and its clock, so that each test sees its sites as new, also when a suite
// runs again (--gtest_repeat). A site passed on another thread as a capture begins may count
// under either.
//
// A forked child starts with no capture: its records go to liblog's default logger until it
// begins one of its own, and the captures it inherited see none of them. So a child can always
// log, whatever another thread of its parent was doing at the fork.
class ScopedLogCapture {
  public:
    ScopedLogCapture();
    ~ScopedLogCapture();

    ScopedLogCapture(const ScopedLogCapture&) = delete;
    ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;

    // The records captured so far, in the order they were written.
    std::vector<CapturedRecord> Records() const;
    // Forgets them.
    void Clear();

  private:
    std::vector<CapturedRecord> records_;
    std::vector<CapturedRecord>* enclosing_;
    int previous_minimum_priority_;
};

// Sets one system property for its lifetime, then puts back the value it had, or its absence
// (an empty value, which reads as absent). A device refuses vendor properties to a process
// without root.
class ScopedProperty {
  public:
    ScopedProperty(const std::string& key, const std::string& value);
    ~ScopedProperty();

    ScopedProperty(const ScopedProperty&) = delete;
    ScopedProperty& operator=(const ScopedProperty&) = delete;

    // Whether the property service took the value.
    bool IsSet() const;

  private:
    std::string key_;
    std::string previous_;
    bool is_set_;
};

}  // namespace testing
}  // namespace vendor::korvane::zunt_tools::log
