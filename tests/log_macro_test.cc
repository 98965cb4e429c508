// The macros as callers write them: from outside the library's namespace, with no using-directive.
#include <plumix_log.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "log_capture.h"

namespace {

namespace plumix = vendor::korvane::zunt_tools::log;
using namespace plumix_test;

using LogMacroTest = LogTest;

int g_evaluations = 0;

template <typename T>
T Counted(T value) {
    ++g_evaluations;
    return value;
}

// The same record through a macro and through the LogMessage it stands for, in that order.
void WriteBoth(plumix::LogSeverity severity, const std::string& module) {
    PLUMIX_LOG(severity, module) << "id " << 7;
    plumix::LogMessage(severity, module, __func__).stream() << "id " << 7;
}

void WriteBothWithClass(plumix::LogSeverity severity, const std::string& module) {
    PLUMIX_LOG_CLASS(severity, module, "Hal") << "id " << 7;
    plumix::LogMessage(severity, module, "Hal", __func__).stream() << "id " << 7;
}

void DumpBoth(const std::string& module, const char* data, int length) {
    PLUMIX_DUMP(module, data, length);
    DUMPLOG(module, __func__, data, length);
}

TEST_F(LogMacroTest, WritesWhatTheEquivalentLogMessageWrites) {
    SetProperty(kSeverityKey, "0");
    SetProperty(kCategoryKey, "-1");
    ShowDumpChunks();
    const char bytes[] = {'A', '\n', '\xFF'};
    const std::tuple<void (*)(), const char*> cases[] = {
            {[] { WriteBoth(plumix::VERBOSE, "orne"); }, "<WriteBoth>id 7"},
            {[] { WriteBoth(plumix::FATAL, "VELK"); }, "<WriteBoth>id 7"},
            {[] { WriteBothWithClass(plumix::DEBUG, "JSON-QUIB"); },
             "<Hal::WriteBothWithClass>id 7"},
            {[] { WriteBothWithClass(plumix::CRITICAL, "QUIB"); }, "<Hal::WriteBothWithClass>id 7"},
    };
    for (const auto& [write, text] : cases) {
        ClearRecords();
        write();
        const std::vector<Record> records = Records();
        ASSERT_EQ(records.size(), 2u) << text;
        EXPECT_EQ(records[0].text, text);
        EXPECT_EQ(std::tie(records[0].priority, records[0].tag, records[0].text),
                  std::tie(records[1].priority, records[1].tag, records[1].text));
    }
    ClearRecords();
    DumpBoth("VELK", bytes, sizeof(bytes));
    EXPECT_EQ(Texts(), (TextList{"<DumpBoth>dumplog length is 3", "<DumpBoth>A<LF>FF",
                                 "<DumpBoth>dumplog length is 3", "<DumpBoth>A<LF>FF"}));
}

TEST_F(LogMacroTest, DroppedRecordEvaluatesNothingAfterTheGate) {
    // Each case drops the record at a different switch; the module is evaluated once all the same.
    const std::tuple<const char*, plumix::LogSeverity, const char*> cases[] = {
            {"", plumix::INFO, "QUIB"}, {"", plumix::DEBUG, "VELK"}, {"0", plumix::ERROR, "VELK"}};
    for (const auto& [on, level, module] : cases) {
        SCOPED_TRACE(::testing::Message() << on << "|" << level << "|" << module);
        SetProperty(kOnKey, on);
        const plumix::LogSeverity severity = level;  // C++17 lambdas cannot capture a binding
        g_evaluations = 0;
        PLUMIX_LOG(severity, Counted(std::string(module))) << Counted(1);
        EXPECT_EQ(g_evaluations, 1);
        g_evaluations = 0;
        PLUMIX_LOG_CLASS(severity, module, Counted(std::string("Hal"))) << Counted(1);
        EXPECT_EQ(g_evaluations, 0);
    }
    EXPECT_TRUE(Records().empty());

    SetProperty(kOnKey, "");
    g_evaluations = 0;
    PLUMIX_LOG(Counted(plumix::INFO), Counted(std::string("VELK"))) << Counted(1);
    EXPECT_EQ(g_evaluations, 3);
    EXPECT_EQ(Texts(), TextList{"<TestBody>1"});
}

// liblog has the last word, with its own filter: a record it would drop is not built either. On a
// host that filter is the process's minimum priority, INFO unless the program lowers it.
TEST_F(LogMacroTest, RecordLiblogWouldDropIsNotBuilt) {
    SetProperty(kSeverityKey, "1");
    const std::tuple<int, bool> cases[] = {
            {ANDROID_LOG_INFO, false}, {ANDROID_LOG_DEBUG, true}, {ANDROID_LOG_VERBOSE, true}};
    for (const auto& [minimum, written] : cases) {
        SCOPED_TRACE(minimum);
        __android_log_set_minimum_priority(minimum);
        ClearRecords();
        EXPECT_EQ(plumix::IsLoggable(plumix::DEBUG, "VELK"), written);
        g_evaluations = 0;
        PLUMIX_LOG(DEBUG, "VELK") << Counted(1);
        EXPECT_EQ(g_evaluations, written ? 1 : 0);
        EXPECT_EQ(Texts(), written ? TextList{"<TestBody>1"} : TextList{});
    }
}

// The new macros' _CLASS forms once each, every argument counted: severity, module, className,
// the condition, n or seconds, and one streamed value. Each is a call site of its own, so that the
// rate limits start afresh.
struct MacroCase {
    const char* name;
    void (*write)(const char* module);
    int arguments;        // all of them counted, when the record is written
    int before_the_gate;  // severity, module and any condition, when it is dropped
};

const MacroCase kMacros[] = {
        {"CLASS_IF",
         [](const char* m) {
             PLUMIX_LOG_CLASS_IF(Counted(INFO), Counted(m), Counted("C"), Counted(true))
                     << Counted(1);
         },
         5, 3},
        {"CLASS_EVERY_N",
         [](const char* m) {
             PLUMIX_LOG_CLASS_EVERY_N(Counted(INFO), Counted(m), Counted("C"), Counted(2))
                     << Counted(1);
         },
         5, 2},
        {"CLASS_FIRST_N",
         [](const char* m) {
             PLUMIX_LOG_CLASS_FIRST_N(Counted(INFO), Counted(m), Counted("C"), Counted(1))
                     << Counted(1);
         },
         5, 2},
        {"CLASS_EVERY_N_SEC",
         [](const char* m) {
             PLUMIX_LOG_CLASS_EVERY_N_SEC(Counted(INFO), Counted(m), Counted("C"), Counted(3600.0))
                     << Counted(1);
         },
         5, 2},
        {"PLOG_CLASS",
         [](const char* m) {
             PLUMIX_PLOG_CLASS(Counted(INFO), Counted(m), Counted("C")) << Counted(1);
         },
         4, 2},
};

// Dropped first: a rate limit that counted that pass would hold the written one back.
TEST_F(LogMacroTest, EveryMacroEvaluatesEachArgumentOnceAndNothingMoreWhenDropped) {
    for (const MacroCase& macro : kMacros) {
        SCOPED_TRACE(macro.name);
        ClearRecords();
        g_evaluations = 0;
        macro.write("QUIB");
        EXPECT_EQ(g_evaluations, macro.before_the_gate);
        EXPECT_TRUE(Records().empty());
        g_evaluations = 0;
        macro.write("VELK");
        EXPECT_EQ(g_evaluations, macro.arguments);
        EXPECT_EQ(Records().size(), 1u);
    }
}

TEST_F(LogMacroTest, FalseConditionEvaluatesNothingAfterIt) {
    g_evaluations = 0;
    PLUMIX_LOG_IF(Counted(ERROR), Counted(std::string("VELK")), Counted(false)) << Counted(1);
    PLUMIX_LOG_CLASS_IF(ERROR, "VELK", Counted("C"), Counted(0)) << Counted(1);
    EXPECT_EQ(g_evaluations, 3);
    EXPECT_TRUE(Records().empty());
}

// Passes 0..11 of one call site each; its module is off for passes 3 to 5. 'x' marks a pass
// written.
TEST_F(LogMacroTest, RateLimitsCountOnlyThePassesThroughTheGate) {
    const std::tuple<const char*, void (*)(int), const char*> cases[] = {
            {"every 3", [](int) { PLUMIX_LOG_EVERY_N(INFO, "VELK", 3) << "r"; }, "x.....x..x.."},
            {"every 1", [](int) { PLUMIX_LOG_EVERY_N(INFO, "VELK", 1u) << "r"; }, "xxx...xxxxxx"},
            {"every 0", [](int) { PLUMIX_LOG_EVERY_N(INFO, "VELK", 0) << "r"; }, "xxx...xxxxxx"},
            {"first 4", [](int) { PLUMIX_LOG_FIRST_N(INFO, "VELK", 4) << "r"; }, "xxx...x....."},
            {"first 0", [](int) { PLUMIX_LOG_FIRST_N(INFO, "VELK", 0) << "r"; }, "............"},
            {"every hour", [](int) { PLUMIX_LOG_EVERY_N_SEC(INFO, "VELK", 3600) << "r"; },
             "x..........."},
            {"no wait", [](int) { PLUMIX_LOG_EVERY_N_SEC(INFO, "VELK", 0.0) << "r"; },
             "xxx...xxxxxx"},
            {"even passes", [](int pass) { PLUMIX_LOG_IF(INFO, "VELK", pass % 2 == 0) << "r"; },
             "x.x...x.x.x."},
    };
    for (const auto& [name, pass, expected] : cases) {
        std::string written;
        for (int i = 0; i < 12; ++i) {
            SetProperty(kCategoryKey, i >= 3 && i <= 5 ? "0" : "");
            ClearRecords();
            pass(i);
            written += Records().empty() ? '.' : 'x';
        }
        EXPECT_EQ(written, expected) << name;
    }
}

TEST_F(LogMacroTest, RateLimitsAreExactAcrossThreads) {
    constexpr int kThreads = 4, kPasses = 10000;
    auto run = [](void (*pass)()) {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([pass] {
                for (int i = 0; i < kPasses; ++i) pass();
            });
        }
        for (std::thread& thread : threads) thread.join();
    };
    run([] { PLUMIX_LOG_EVERY_N(INFO, "VELK", 7) << "every"; });
    run([] { PLUMIX_LOG_FIRST_N(INFO, "VELK", 5) << "first"; });
    EXPECT_EQ(Records().size(), (kThreads * kPasses + 6u) / 7 + 5);
    ClearRecords();
    run([] { PLUMIX_LOG_EVERY_N_SEC(INFO, "VELK", 0) << "now"; });
    EXPECT_EQ(Records().size(), kThreads * kPasses);

    // Every pass is written or counted in the next record written: once the threads are done,
    // one more pass after the wait collects what is left.
    static void (*const every_millisecond)() = [] {
        PLUMIX_LOG_EVERY_N_SEC(INFO, "VELK", 0.001) << "tick";
    };
    ClearRecords();
    run(every_millisecond);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    every_millisecond();
    uint64_t passes = 0;
    for (const std::string& text : Texts()) {
        unsigned long long held_back = 0;
        const bool counted =
                std::sscanf(text.c_str(), "<operator()>tick (%llu held back)", &held_back) == 1;
        EXPECT_TRUE(counted || text == "<operator()>tick") << text;
        passes += 1 + held_back;
    }
    EXPECT_EQ(passes, kThreads * kPasses + 1u);
}

void EveryFifthOfASecond() {
    PLUMIX_LOG_EVERY_N_SEC(INFO, "VELK", 0.2) << "poll failed";
}

TEST_F(LogMacroTest, RecordAfterRecordsHeldBackSaysHowMany) {
    EveryFifthOfASecond();
    for (int i = 0; i < 3; ++i) EveryFifthOfASecond();
    SetProperty(kCategoryKey, "0");
    EveryFifthOfASecond();  // dropped by the gate: not held back
    SetProperty(kCategoryKey, "");
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EveryFifthOfASecond();
    EveryFifthOfASecond();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EveryFifthOfASecond();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EveryFifthOfASecond();
    EXPECT_EQ(Texts(), (TextList{"<EveryFifthOfASecond>poll failed",
                                 "<EveryFifthOfASecond>poll failed (3 held back)",
                                 "<EveryFifthOfASecond>poll failed (1 held back)",
                                 "<EveryFifthOfASecond>poll failed"}));
}

plumix::LogSeverity ErrorAfterSettingErrno(int value) {
    errno = value;
    return plumix::ERROR;
}

std::string SetErrno(int value) {
    errno = value;
    return "streamed ";
}

TEST_F(LogMacroTest, PlogEndsWithTheTextOfErrnoAsTheStatementBegan) {
    errno = ENOENT;
    PLUMIX_PLOG(ErrorAfterSettingErrno(EACCES), "VELK") << SetErrno(EBADF) << "open";
    EXPECT_EQ(errno, EACCES);  // what the severity left; the streamed text's change is undone
    errno = EIO;
    PLUMIX_PLOG_CLASS(ERROR, (errno = EPERM, "VELK"), "Hal");
    errno = 4321;  // no error of the platform's: its text comes another way
    PLUMIX_PLOG(ERROR, "QUIB") << "at most ERROR passes every module";
    EXPECT_EQ(Texts(), (TextList{"<TestBody>streamed open: " + std::string(std::strerror(ENOENT)),
                                 "<Hal::TestBody>: " + std::string(std::strerror(EIO)),
                                 "<TestBody>at most ERROR passes every module: " +
                                         std::string(std::strerror(4321))}));
}

TEST_F(LogMacroTest, DumpsAnyByteBufferWithAnyIntegerLength) {
    ShowDumpChunks();
    const std::vector<uint8_t> frame = {'A', '\n', 0xFF};
    PLUMIX_DUMP("VELK", frame.data(), frame.size());
    PLUMIX_DUMP_CLASS("VELK", "Hal", frame.data(), frame.size());
    const std::byte byte{'B'};
    PLUMIX_DUMP("VELK", static_cast<const void*>(&byte), int64_t{1});
    // A container's own bytes, not the container object.
    PLUMIX_DUMP("VELK", frame, frame.size());
    PLUMIX_DUMP_CLASS("VELK", "Hal", std::string("C\x01"), 2);
    EXPECT_EQ(Texts(), (TextList{"<TestBody>dumplog length is 3", "<TestBody>A<LF>FF",
                                 "<Hal::TestBody>dumplog length is 3", "<Hal::TestBody>A<LF>FF",
                                 "<TestBody>dumplog length is 1", "<TestBody>B",
                                 "<TestBody>dumplog length is 3", "<TestBody>A<LF>FF",
                                 "<Hal::TestBody>dumplog length is 2", "<Hal::TestBody>C<SOH>"}));

    // With dumps off no byte is read, so the length records alone show each call to DUMPLOG.
    SetProperty(kDumpOnKey, "0");
    ClearRecords();
    PLUMIX_DUMP("VELK", frame.data(), uint64_t{INT_MAX} * 2 + 3);
    PLUMIX_DUMP("VELK", frame.data(), int64_t{INT_MIN} - 1);  // a negative length: nothing
    PLUMIX_DUMP("VELK", frame, -5);
    PLUMIX_DUMP("VELK", nullptr, uint64_t{INT_MAX} + 1);
    EXPECT_EQ(Texts(), (TextList{"<TestBody>dumplog length is 2147483647",
                                 "<TestBody>dumplog length is 2147483647",
                                 "<TestBody>dumplog length is 3", "<TestBody>no dumplog output"}));
}

TEST_F(LogMacroTest, SeverityIsABareNameOrAnyLogSeverityExpression) {
    PLUMIX_LOG(WARNING, "VELK") << "bare";
    const plumix::LogSeverity level = plumix::DEBUG;
    PLUMIX_LOG(level, "VELK") << "variable";  // below the threshold
    PLUMIX_LOG(level == plumix::DEBUG ? ERROR : INFO, "QUIB") << "expression";
    {
        // A bare name is the library's even where the caller's scope holds another of that name.
        [[maybe_unused]] const plumix::LogSeverity INFO = plumix::VERBOSE;
        PLUMIX_LOG(INFO, "VELK") << "bare beside a variable";
    }
    const std::vector<Record> records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(std::tie(records[0].priority, records[0].text),
              std::make_tuple(ANDROID_LOG_WARN, std::string("<TestBody>bare")));
    EXPECT_EQ(std::tie(records[1].priority, records[1].text),
              std::make_tuple(ANDROID_LOG_ERROR, std::string("<TestBody>expression")));
    EXPECT_EQ(std::tie(records[2].priority, records[2].text),
              std::make_tuple(ANDROID_LOG_INFO, std::string("<TestBody>bare beside a variable")));
}

std::string SetOnSwitch(const std::string& value) {
    SetProperty(kOnKey, value);
    return "";
}

TEST_F(LogMacroTest, EachRecordReadsThePropertiesAgainUpToItsDestructor) {
    PLUMIX_LOG(INFO, "VELK") << "before";
    SetProperty(kCategoryKey, "0");
    PLUMIX_LOG(INFO, "VELK") << "module off";
    SetProperty(kCategoryKey, "");
    PLUMIX_LOG(INFO, "VELK") << "module on";
    // Past the gate when logging goes off while the text is streamed: the destructor drops it.
    PLUMIX_LOG(INFO, "VELK") << "switched off" << SetOnSwitch("0");
    SetOnSwitch("");
    SetProperty(kBufferSizeKey, "16");
    PLUMIX_LOG(INFO, "VELK") << "longer than 16";  // the length check stays the destructor's
    EXPECT_EQ(Texts(), (TextList{"<TestBody>before", "<TestBody>module on"}));
}

// Without braces: the else must belong to the caller's if, whatever the gate says.
bool LogUnlessElse(bool condition, const char* module) {
    bool took_else = false;
    if (condition)
        PLUMIX_LOG(INFO, module) << "then";
    else
        took_else = true;
    if (condition)
        PLUMIX_LOG_IF(INFO, module, true) << "then if";
    else
        took_else = true;
    if (condition)
        PLUMIX_LOG_EVERY_N_SEC(INFO, module, 0) << "then every";
    else
        took_else = true;
    errno = 0;
    if (condition)
        PLUMIX_PLOG(INFO, module) << "then plog";
    else
        took_else = true;
    return took_else;
}

TEST_F(LogMacroTest, ElseAfterTheStatementBindsToTheCallersIf) {
    EXPECT_FALSE(LogUnlessElse(true, "VELK"));
    EXPECT_FALSE(LogUnlessElse(true, "QUIB"));
    EXPECT_TRUE(LogUnlessElse(false, "VELK"));
    EXPECT_EQ(Texts(), (TextList{"<LogUnlessElse>then", "<LogUnlessElse>then if",
                                 "<LogUnlessElse>then every",
                                 "<LogUnlessElse>then plog: " + std::string(std::strerror(0))}));
}

}  // namespace
