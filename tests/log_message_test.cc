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

using namespace vendor::korvane::zunt_tools;
using plumix_test::Record;
using plumix_test::Records;
using plumix_test::SetProperty;

constexpr char kOn[] = "vendor.plumix.log.on";
constexpr char kSeverity[] = "vendor.plumix.log.severity";
constexpr char kCategory[] = "vendor.plumix.log.catgory";
constexpr char kBufferSize[] = "vendor.plumix.log.buffer.size";
constexpr size_t kHeaderLength = 6;  // "<C::f>"

class LogMessageTest : public plumix_test::LogTest {};

// One record with the header "<C::f>"; returns what reached the log.
std::vector<Record> Write(int severity, const std::string& module, const std::string& body) {
    plumix_test::ClearRecords();
    log::LogMessage(static_cast<log::LogSeverity>(severity), module, "C", "f").stream() << body;
    return Records();
}

TEST_F(LogMessageTest, HeaderPrecedesBodyInToStringAndRecord) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
            {"Hal", "run", "<Hal::run>body"},
            {"", "run", "<run>body"},
            {"Hal", "", "<Hal::>body"},
            {"", "", "<>body"}};
    for (const auto& [class_name, func_name, expected] : cases) {
        plumix_test::ClearRecords();
        {
            log::LogMessage record(log::INFO, "VELK", class_name, func_name);
            record.stream() << "body";
            EXPECT_EQ(record.ToString(), expected);
        }
        ASSERT_EQ(Records().size(), 1u) << expected;
        EXPECT_EQ(Records()[0].text, expected);
    }
}

TEST_F(LogMessageTest, ModuleIsTheTagWithItsCaseKept) {
    log::LogMessage(log::INFO, "velk", "run").stream() << 42;
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0].tag, "velk");
    EXPECT_EQ(Records()[0].text, "<run>42");
}

TEST_F(LogMessageTest, GateFollowsLiveProperties) {
    // Empty is missing: on, threshold 2, VELK ORNE FENRO enabled.
    const std::tuple<const char*, const char*, const char*, int, const char*, bool> cases[] = {
            {"", "", "", log::INFO, "VELK", true},
            {"1", "", "", log::INFO, "VELK", true},
            {"", "", "", log::DEBUG, "VELK", false},
            {"", "", "", log::INFO, "QUIB", false},
            {"", "", "", log::INFO, "fEnRo", true},
            {"", "0", "", log::VERBOSE, "ORNE", true},
            {"", "7", "", log::WARNING, "VELK", false},
            {"", "", "0x100000", log::INFO, "plumix", true},
            {"", "abc", "", log::DEBUG, "VELK", false},
            // ERROR and above bypass module and threshold, never the on switch.
            {"", "7", "0", log::ERROR, "QUIB", true},
            {"", "7", "0", log::CRITICAL, "", true},
            {"", "7", "0", log::FATAL, "unknown", true},
            {"0", "0", "-1", log::FATAL, "VELK", false},
            {"true", "0", "-1", log::ERROR, "VELK", false},
            {"11", "0", "-1", log::CRITICAL, "VELK", false},
            {" 1", "0", "-1", log::INFO, "VELK", false}};
    for (const auto& [on, threshold, mask, severity, module, written] : cases) {
        SCOPED_TRACE(testing::Message()
                     << on << "|" << threshold << "|" << mask << "|" << severity << "|" << module);
        SetProperty(kOn, on);
        SetProperty(kSeverity, threshold);
        SetProperty(kCategory, mask);
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
        SetProperty(kBufferSize, size);
        const std::string body(length - kHeaderLength, 'x');
        const std::vector<Record> records = Write(log::INFO, "VELK", body);
        ASSERT_EQ(records.size(), written ? 1u : 0u);
        // liblog itself cuts a text at 1023 characters.
        if (written) {
            EXPECT_EQ(records[0].text, ("<C::f>" + body).substr(0, 1023));
        }
    }
}

TEST_F(LogMessageTest, SeverityMapsToPriorityAndOutOfRangeIsNeverWritten) {
    SetProperty(kSeverity, "-1000");
    SetProperty(kCategory, "-1");
    SetProperty(kBufferSize, "0");
    const int priorities[] = {ANDROID_LOG_VERBOSE, ANDROID_LOG_DEBUG, ANDROID_LOG_INFO,
                              ANDROID_LOG_WARN,    ANDROID_LOG_ERROR, ANDROID_LOG_ERROR,
                              ANDROID_LOG_FATAL};
    for (int severity = 0; severity < 7; ++severity) {
        const std::vector<Record> records = Write(severity, "VELK", "x");
        ASSERT_EQ(records.size(), 1u) << severity;
        EXPECT_EQ(records[0].priority, priorities[severity]) << severity;
    }
    for (int severity : {7, -1, 100, INT_MIN}) EXPECT_TRUE(Write(severity, "VELK", "x").empty());
}

TEST_F(LogMessageTest, BodyIsWrittenVerbatimUpToNulWhileLengthCountsAll) {
    std::vector<Record> records = Write(log::INFO, "VELK", "%s %n %% %d");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, "<C::f>%s %n %% %d");

    const std::string body("ab\0cd", 5);  // whole text 11 characters, written 8
    SetProperty(kBufferSize, "11");
    EXPECT_TRUE(Write(log::INFO, "VELK", body).empty());
    SetProperty(kBufferSize, "12");
    records = Write(log::INFO, "VELK", body);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text, "<C::f>ab");
}

TEST_F(LogMessageTest, ConcurrentRecordsStayWholeAndSeparate) {
    constexpr int kThreads = 8;
    constexpr int kPerThread = 500;
    const char* const modules[] = {"VELK", "ORNE"};
    const log::LogSeverity severities[] = {log::INFO, log::CRITICAL};
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
                log::LogMessage(severities[t % 2], modules[t % 2], name, "run").stream()
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
