// Records end to end: the header, which switch lets what through, and what exactly reaches the log.
#include <plumix_log.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <future>
#include <memory>
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
        SCOPED_TRACE(::testing::Message()
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
        SCOPED_TRACE(::testing::Message() << "size " << size << " length " << length);
        SetProperty(kBufferSizeKey, size);
        const std::string body(length - kHeaderLength, 'x');
        const std::vector<Record> records = Write(INFO, "VELK", body);
        EXPECT_EQ(records.empty(), !written);
        EXPECT_EQ(Joined(records), written ? "<C::f>" + body : "");
    }
}

// Checks that records are the pieces of text, of the given lengths, each one that a log record
// carries whole, all with the same priority and tag.
void ExpectPieces(const std::vector<Record>& records, const std::string& text,
                  const std::vector<size_t>& lengths) {
    std::vector<size_t> written;
    for (const Record& r : records) {
        written.push_back(r.text.size());
        EXPECT_LE(r.text.size(), RecordLimit("VELK"));
        EXPECT_EQ(r.priority, ANDROID_LOG_INFO);
        EXPECT_EQ(r.tag, "VELK");
    }
    EXPECT_EQ(written, lengths);
    EXPECT_EQ(Joined(records), text);
}

TEST_F(LogMessageTest, LongTextsArriveWholeInConsecutiveRecords) {
    const size_t limit = RecordLimit("VELK");
    const struct {
        size_t length;
        std::vector<size_t> pieces;
    } cases[] = {
            {1023, {1023}},
            {1024, {1024}},  // liblog's formatting buffer would cut this one
            {4000, {4000}},
            {limit, {limit}},
            {limit + 1, {limit, 1}},
            {20000, {limit, limit, limit, limit, 20000 - 4 * limit}},
    };
    SetProperty(kBufferSizeKey, "0");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string body(c.length - kHeaderLength, 'x');
        ExpectPieces(Write(INFO, "VELK", body), "<C::f>" + body, c.pieces);
    }
    // A NUL still ends the text, long or not.
    const std::string cut_short = std::string(5000, 'x') + '\0' + std::string(5000, 'y');
    ExpectPieces(Write(INFO, "VELK", cut_short), "<C::f>" + std::string(5000, 'x'),
                 {limit, 5006 - limit});
}

TEST_F(LogMessageTest, LongTextsSplitAfterALineEndOrElseBetweenUtf8Sequences) {
    const size_t limit = RecordLimit("VELK");
    const struct {
        size_t at;
        std::string inserted;
        size_t first_piece;
    } cases[] = {
            {limit - 20, "\nxxxxx\n", limit - 13},       // after the last line end, kept with it
            {limit - 1, "\n", limit},                    // the line end is the last byte that fits
            {limit, "\n", limit},                        // past the limit: no line end to use
            {limit - 2, "\xC3\xA9", limit},              // the sequence ends at the limit
            {limit, "\xC3\xA9", limit},                  // the sequence starts at the limit
            {limit - 1, "\xE2\x82\xAC", limit - 1},      // cut before a 3-byte sequence
            {limit - 3, "\xF0\x9F\x98\x80", limit - 3},  // cut before a 4-byte sequence
            {limit - 4, std::string(8, '\x80'), limit},  // no sequence start near: at the limit
    };
    SetProperty(kBufferSizeKey, "0");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        std::string text = "<C::f>" + std::string(limit + 20 - kHeaderLength, 'x');
        text.replace(c.at, c.inserted.size(), c.inserted);
        ExpectPieces(Write(INFO, "VELK", text.substr(kHeaderLength)), text,
                     {c.first_piece, text.size() - c.first_piece});
    }
}

// A logger of the process's own that writes a split record while one is being written: its thread
// holds the lock that keeps pieces together already, so the inner record must not wait for it.
std::vector<std::string> g_nested_texts;
void KeepAndNest(const char* text) {
    g_nested_texts.push_back(text);
    if (g_nested_texts.size() > 1 || std::string(text).compare(0, 7, "<outer>") != 0) return;
    LogMessage(INFO, "VELK", "inner").stream() << std::string(6000, 'i');
}
#ifdef __ANDROID__
void NestingLogger(const __android_log_message* message) {
    KeepAndNest(message->message);
}
#else
void NestingLogger(const __android_logger_data*, const char* message) {
    KeepAndNest(message);
}
#endif

TEST_F(LogMessageTest, LoggerMayWriteASplitRecordWhileOneIsWritten) {
    SetProperty(kBufferSizeKey, "0");
    __android_log_set_logger(NestingLogger);
    const std::string body(6000, 'o');
    // On a thread of its own, so that a writer stuck waiting for itself fails the test instead.
    auto written = std::make_shared<std::promise<void>>();
    std::future<void> done = written->get_future();
    std::thread([written, body] {
        LogMessage(INFO, "VELK", "outer").stream() << body;
        written->set_value();
    }).detach();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    const std::string outer = "<outer>" + body;
    const size_t first_piece = RecordLimit("VELK");
    std::string joined;
    for (const std::string& text : g_nested_texts) joined += text;
    EXPECT_EQ(joined, outer.substr(0, first_piece) + "<inner>" + std::string(6000, 'i') +
                              outer.substr(first_piece));
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
