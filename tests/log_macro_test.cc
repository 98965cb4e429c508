// The macros as callers write them: from outside the library's namespace, with no using-directive.
#include <plumix_log.h>

#include <string>
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

TEST_F(LogMacroTest, SeverityIsABareNameOrAnyLogSeverityExpression) {
    PLUMIX_LOG(WARNING, "VELK") << "bare";
    const plumix::LogSeverity level = plumix::DEBUG;
    PLUMIX_LOG(level, "VELK") << "variable";  // below the threshold
    PLUMIX_LOG(level == plumix::DEBUG ? ERROR : INFO, "QUIB") << "expression";
    {
        // A caller's own variable wins over the severity it is named after.
        const plumix::LogSeverity INFO = plumix::VERBOSE;
        PLUMIX_LOG(INFO, "VELK") << "shadowed";
    }
    const std::vector<Record> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(std::tie(records[0].priority, records[0].text),
              std::make_tuple(ANDROID_LOG_WARN, std::string("<TestBody>bare")));
    EXPECT_EQ(std::tie(records[1].priority, records[1].text),
              std::make_tuple(ANDROID_LOG_ERROR, std::string("<TestBody>expression")));
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
    return took_else;
}

TEST_F(LogMacroTest, ElseAfterTheStatementBindsToTheCallersIf) {
    EXPECT_FALSE(LogUnlessElse(true, "VELK"));
    EXPECT_FALSE(LogUnlessElse(true, "QUIB"));
    EXPECT_TRUE(LogUnlessElse(false, "VELK"));
    EXPECT_EQ(Texts(), TextList{"<LogUnlessElse>then"});
}

}  // namespace
