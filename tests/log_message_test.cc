// Records end to end: the header, which switch lets what through, and what exactly reaches the log.
#include <plumix_log.h>

#include <algorithm>
#include <climits>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "log_capture.h"

namespace {

using namespace vendor::korvane::zunt_tools::log;
using namespace plumix_test;

constexpr size_t kHeaderLength = 6;  // "<C::f>"

using LogMessageTest = LogTest;

// One record with the header "<C::f>"; returns what reached the log.
std::vector<Record> Write(int severity, const std::string& module, const std::string& body) {
    ClearRecords();
    LogMessage(static_cast<LogSeverity>(severity), module, "C", "f").stream() << body;
    return Records();
}

TEST_F(LogMessageTest, HeaderPrecedesBodyInToStringAndRecord) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
            {"Hal", "run", "<Hal::run>body"},
            {"", "run", "<run>body"},
            {"Hal", "", "<Hal::>body"},
            {"", "", "<>body"}};
    for (const auto& [class_name, func_name, expected] : cases) {
        ClearRecords();
        {
            LogMessage record(INFO, "VELK", class_name, func_name);
            record.stream() << "body";
            EXPECT_EQ(record.ToString(), expected);
        }
        ASSERT_EQ(Records().size(), 1u) << expected;
        EXPECT_EQ(Records()[0].text, expected);
    }
}

TEST_F(LogMessageTest, ModuleIsTheTagWithItsCaseKept) {
    LogMessage(INFO, "velk", "run").stream() << 42;
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].tag, "velk");
    EXPECT_EQ(Records()[0].text, "<run>42");
}

TEST_F(LogMessageTest, GateFollowsLiveProperties) {
    // Empty is missing: on, threshold 2, VELK ORNE FENRO enabled.
    const std::tuple<const char*, const char*, const char*, int, const char*, bool> cases[] = {
            {"", "", "", INFO, "VELK", true},
            {"1", "", "", INFO, "VELK", true},
            {"", "", "", DEBUG, "VELK", false},
            {"", "", "", INFO, "QUIB", false},
            {"", "", "", INFO, "fEnRo", true},
            {"", "0", "", VERBOSE, "ORNE", true},
            {"", "7", "", WARNING, "VELK", false},
            {"", "", "0x100000", INFO, "plumix", true},
            {"", "abc", "", DEBUG, "VELK", false},
            // ERROR and above bypass module and threshold, never the on switch.
            {"", "7", "0", ERROR, "QUIB", true},
            {"", "7", "0", CRITICAL, "", true},
            {"", "7", "0", FATAL, "unknown", true},
            {"0", "0", "-1", FATAL, "VELK", false},
            {"true", "0", "-1", ERROR, "VELK", false},
            {"11", "0", "-1", CRITICAL, "VELK", false},
            {" 1", "0", "-1", INFO, "VELK", false},
            // Outside VERBOSE..FATAL nothing is written, whatever the switches say.
            {"", "-1000", "-1", 7, "VELK", false},
            {"", "-1000", "-1", -1, "VELK", false},
            {"", "-1000", "-1", INT_MIN, "VELK", false},
            {"", "-1000", "-1", INT_MAX, "VELK", false}};
    for (const auto& [on, threshold, mask, severity, module, written] : cases) {
        SCOPED_TRACE(testing::Message()
                     << on << "|" << threshold << "|" << mask << "|" << severity << "|" << module);
        SetProperty(kOnKey, on);
        SetProperty(kSeverityKey, threshold);
        SetProperty(kCategoryKey, mask);
        // The question asked before a record is built has the record's answer.
        EXPECT_EQ(IsLoggable(static_cast<LogSeverity>(severity), module), written);
        const std::vector<Record> records = Write(severity, module, "x");
        ASSERT_EQ(records.size(), written ? 1u : 0u);
        if (written) {
            EXPECT_EQ(records[0].tag, module);
        }
    }
}

TEST_F(LogMessageTest, LengthCheckCountsTheWholeText) {
    const std::tuple<const char*, size_t, bool> cases[] = {
            {"10", 9, true},   {"10", 10, false}, {"10", 11, false}, {"", 1023, true},
            {"", 1024, false}, {"", 1025, false}, {"0", 1024, true}, {"0", 100000, true}};
    for (const auto& [size, length, written] : cases) {
        SCOPED_TRACE(testing::Message() << "size " << size << " length " << length);
        SetProperty(kBufferSizeKey, size);
        const std::string body(length - kHeaderLength, 'x');
        const std::vector<Record> records = Write(INFO, "VELK", body);
        ASSERT_EQ(records.size(), written ? 1u : 0u);
        // liblog itself cuts a text.
        if (written) {
            EXPECT_EQ(records[0].text, ("<C::f>" + body).substr(0, kLoggedLength));
        }
    }
}

TEST_F(LogMessageTest, SeverityMapsToPriorityAndOutOfRangeIsNeverWritten) {
    SetProperty(kSeverityKey, "-1000");
    SetProperty(kCategoryKey, "-1");
    SetProperty(kBufferSizeKey, "0");
    for (int severity = 0; severity < 7; ++severity) {
        const std::vector<Record> records = Write(severity, "VELK", "x");
        ASSERT_EQ(records.size(), 1u) << severity;
        EXPECT_EQ(records[0].priority, kSeverityPriorities[severity]) << severity;
    }
    for (int severity : {7, -1, 100, INT_MIN}) EXPECT_TRUE(Write(severity, "VELK", "x").empty());
}

TEST_F(LogMessageTest, BodyIsWrittenUpToNulWhileLengthCountsAll) {
    const std::string body("ab\0cd", 5);  // whole text 11 characters, written 8
    SetProperty(kBufferSizeKey, "11");
    EXPECT_TRUE(Write(INFO, "VELK", body).empty());
    SetProperty(kBufferSizeKey, "12");
    const std::vector<Record> records = Write(INFO, "VELK", body);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, "<C::f>ab");
}

TEST_F(LogMessageTest, ConcurrentRecordsStayWholeAndSeparate) {
    constexpr int kThreads = 8;
    constexpr int kPerThread = 500;
    const char* const modules[] = {"VELK", "ORNE"};
    const LogSeverity severities[] = {INFO, CRITICAL};
    const int priorities[] = {ANDROID_LOG_INFO, ANDROID_LOG_ERROR};
    using Written = std::tuple<int, std::string, std::string>;
    std::vector<Written> expected;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        const std::string name = "Worker" + std::to_string(t);
        for (int i = 0; i < kPerThread; ++i) {
            expected.emplace_back(priorities[t % 2], modules[t % 2],
                                  "<" + name + "::run>record " + std::to_string(i));
        }
        threads.emplace_back([&, t, name] {
            for (int i = 0; i < kPerThread; ++i) {
                LogMessage(severities[t % 2], modules[t % 2], name, "run").stream()
                        << "record " << i;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::vector<Written> written;
    for (const Record& r : Records()) written.emplace_back(r.priority, r.tag, r.text);
    ASSERT_EQ(written.size(), expected.size());
    std::sort(written.begin(), written.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(written, expected);
}

}  // namespace
