// Which properties a record reads, and in what order: they are the record's behaviour, since an
// operator's change takes effect exactly where a read sees it. This binary answers the library's
// property reads itself; its definition comes before libbase's in the process's symbol lookup.
// Built again with the test's property area (switch_serials_test), it checks the same reads as the
// keys that the serial path looks up or asks the serial of.
#include <android-base/properties.h>
#include <plumix_log.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../src/switches/property_area.h"
#include "log_capture.h"
#include "property_area.h"

namespace {

std::map<std::string, std::string>& Answers() {
    static auto* answers = new std::map<std::string, std::string>;
    return *answers;
}

std::vector<std::string>& Reads() {
    static auto* reads = new std::vector<std::string>;
    return *reads;
}

}  // namespace

namespace android {
namespace base {

std::string GetProperty(const std::string& key, const std::string& default_value) {
    Reads().push_back(key);
    const auto answer = Answers().find(key);
    return answer == Answers().end() ? default_value : answer->second;
}

}  // namespace base
}  // namespace android

namespace {

using namespace vendor::korvane::zunt_tools::log;
using namespace plumix_test;

using Keys = std::vector<std::string>;
using Values = std::map<std::string, std::string>;
const std::string kOn = kOnKey, kMask = kCategoryKey, kThreshold = kSeverityKey,
                  kSize = kBufferSizeKey, kDumps = kDumpOnKey;

bool ReadsThroughSerials() {
    return vendor::korvane::zunt_tools::log::internal::HasPropertyArea();
}

void Answer(const Values& values) {
    if (!ReadsThroughSerials()) {
        Answers() = values;
        return;
    }
    // Every switch's property exists, so that each read shows by its key: a lookup the first
    // time, its serial after that.
    for (const char* key : kPropertyKeys) {
        const auto value = values.find(key);
        SetAreaProperty(key, value == values.end() ? "" : value->second);
    }
}

// The reads since the last call.
Keys TakeReads() {
    if (ReadsThroughSerials()) return TakeConsultedKeys();
    return std::exchange(Reads(), {});
}

struct Case {
    const char* what;
    LogSeverity severity;
    const char* module;
    Values values;
    Keys reads;
    bool written;
};

TEST_F(LogTest, RecordsAndIsLoggableReadTheSwitchesInOrderAndStopAtTheFirstNo) {
    const Case cases[] = {
            {"written", INFO, "VELK", {}, {kOn, kMask, kOn, kThreshold, kSize}, true},
            {"ERROR skips the filters", ERROR, "QUIB", {}, {kOn, kSize}, true},
            {"module not enabled", INFO, "QUIB", {}, {kOn, kMask}, false},
            {"below the threshold", DEBUG, "VELK", {}, {kOn, kMask, kOn, kThreshold}, false},
            {"off, module enabled", INFO, "VELK", {{kOn, "0"}}, {kOn, kMask, kOn}, false},
            {"off, ERROR asks the module", FATAL, "VELK", {{kOn, "0"}}, {kOn, kMask, kOn}, false},
            {"off, module not enabled", ERROR, "QUIB", {{kOn, "0"}}, {kOn, kMask}, false},
            {"too long",
             WARNING,
             "velk",
             {{kSize, "5"}},
             {kOn, kMask, kOn, kThreshold, kSize},
             false},
    };
    for (const Case& c : cases) {
        Answer(c.values);
        ClearRecords();
        TakeReads();
        LogMessage(c.severity, c.module, "run").stream() << "body";
        EXPECT_EQ(TakeReads(), c.reads) << c.what;
        EXPECT_EQ(Records().size(), c.written ? 1u : 0u) << c.what;

        // The up-front question makes the same reads, all but the length check's.
        Keys gate_reads = c.reads;
        const bool passes = gate_reads.back() == kSize;
        if (passes) gate_reads.pop_back();
        EXPECT_EQ(IsLoggable(c.severity, c.module), passes) << c.what;
        EXPECT_EQ(TakeReads(), gate_reads) << c.what;
    }
}

// Each chunk is sized by the buffer size read just before it, so an operator who changes the size
// during a long dump changes every chunk from then on.
TEST_F(LogTest, DumpReadsTheBufferSizeBeforeEachChunk) {
    // "<run>" leaves 2 bytes of a record shorter than 8: "abcd" is two chunks.
    Answer({{kDumps, "1"}, {kThreshold, "1"}, {kSize, "8"}});
    ClearRecords();
    TakeReads();
    DUMPLOG("VELK", "run", "abcd", 4);
    const Keys record = {kOn, kMask, kOn, kThreshold, kSize};
    Keys expected = record;
    expected.insert(expected.end(), {kDumps, kMask});
    for (int chunk = 0; chunk < 2; ++chunk) {
        expected.push_back(kSize);
        expected.insert(expected.end(), record.begin(), record.end());
    }
    EXPECT_EQ(TakeReads(), expected);
    EXPECT_EQ(Texts(), TextList({"<run>ab", "<run>cd"}));
}

}  // namespace
