// The switches read through the property area's serials, as on a device: no lookup and no value
// read while nothing changes, and yet every change honoured by the next record on every thread.
// Linked with the test's own property area (property_area.cc).
#include <android-base/properties.h>
#include <plumix_log.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "log_capture.h"
#include "property_area.h"

namespace {

using namespace vendor::korvane::zunt_tools::log;
using namespace plumix_test;

// Every question a record or a dump asks, of every switch.
void RecordEveryKind() {
    LogMessage(INFO, "VELK", "run").stream() << "written";
    LogMessage(INFO, "QUIB", "run").stream() << "module not enabled";
    LogMessage(DEBUG, "VELK", "run").stream() << "below the threshold";
    LogMessage(ERROR, "QUIB", "run").stream() << "error";
    IsLoggable(INFO, "VELK");
    DUMPLOG("VELK", "run", "ab", 2);
}

TEST_F(LogTest, RecordsThatChangeNothingLookUpAndReadNothing) {
    // Some of the switches' properties exist, the others are missing.
    SetProperty(kOnKey, "1");
    SetProperty(kBufferSizeKey, "100");
    SetProperty(kDumpOnKey, "1");
    RecordEveryKind();
    ASSERT_GT(PropertyLookups(), 0u) << "the library does not read through the property area";
    const size_t lookups = PropertyLookups();
    const size_t value_reads = PropertyValueReads();
    const TextList once = Texts();
    for (int i = 0; i < 100; ++i) RecordEveryKind();
    EXPECT_EQ(PropertyLookups(), lookups);
    EXPECT_EQ(PropertyValueReads(), value_reads);
    TextList expected;
    for (int i = 0; i < 101; ++i) expected.insert(expected.end(), once.begin(), once.end());
    EXPECT_EQ(Texts(), expected);
}

// One switch changed at a time, starting from none set: each property is first created, then
// written again.
struct Step {
    const char* key;
    const char* value;
    bool written;  // an INFO record of VELK
};
const Step kSteps[] = {
        {kOnKey, "0", false},         {kOnKey, "1", true},         {kCategoryKey, "0x10", false},
        {kCategoryKey, "0x1", true},  {kSeverityKey, "3", false},  {kSeverityKey, "", true},
        {kBufferSizeKey, "5", false}, {kBufferSizeKey, "0", true}, {kOnKey, "", true},
};

TEST_F(LogTest, EveryThreadsNextRecordFollowsASwitchCreatedOrChanged) {
    constexpr int kThreads = 4;
    constexpr int kSteps_ = static_cast<int>(std::size(kSteps));
    std::atomic<int> step{-1};  // published once its property is set
    std::atomic<int> done{0};   // records made for the steps so far, over all threads
    std::atomic<bool> stop{false};
    // Changes a switch that the waiting threads read all the time, racing with their reads.
    std::thread changer([&] {
        for (int i = 0; !stop; ++i) android::base::SetProperty(kDumpOnKey, i % 2 == 0 ? "1" : "0");
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int seen = -1; seen + 1 < kSteps_;) {
                const int now = step.load(std::memory_order_acquire);
                if (now == seen) {
                    // QUIB is not enabled: the switches are read, nothing is written.
                    DUMPLOG("QUIB", "wait", "ab", 2);
                    continue;
                }
                LogMessage(INFO, "VELK", "step").stream() << now;
                PLUMIX_LOG(INFO, "VELK") << now;  // one site for all threads
                seen = now;
                done.fetch_add(1);
            }
        });
    }
    for (int s = 0; s < kSteps_; ++s) {
        android::base::SetProperty(kSteps[s].key, kSteps[s].value);
        step.store(s, std::memory_order_release);
        while (done.load() < (s + 1) * kThreads) std::this_thread::yield();
    }
    for (std::thread& thread : threads) thread.join();
    stop = true;
    changer.join();

    std::vector<int> written(kSteps_);
    for (const std::string& text : Texts())
        ++written.at(std::stoi(text.substr(text.find('>') + 1)));
    for (int s = 0; s < kSteps_; ++s) {
        EXPECT_EQ(written[s], kSteps[s].written ? 2 * kThreads : 0)
                << "step " << s << ": " << kSteps[s].key << " = \"" << kSteps[s].value << '"';
    }
}

// A warm call site asks no switch until a property anywhere changes, created, updated or
// unrelated; then its next record decides afresh, and right. A DEBUG record of VELK at one site.
TEST_F(LogTest, ASiteRemembersItsVerdictUntilAnyPropertyChanges) {
    const auto record = [] { PLUMIX_LOG(DEBUG, "VELK") << "debug"; };
    const Step changes[] = {
            {kSeverityKey, "1", true},        {kSeverityKey, "2", false}, {kOnKey, "0", false},
            {"vendor.unrelated", "1", false}, {kSeverityKey, "0", false}, {kOnKey, "1", true},
            {"vendor.unrelated", "2", true},
    };
    for (const char* key : kPropertyKeys) SetAreaProperty(key, "");  // each check shows by its key
    record();
    const size_t lookups = PropertyLookups(), value_reads = PropertyValueReads();
    TakeConsultedKeys();
    record();
    EXPECT_TRUE(TakeConsultedKeys().empty());
    EXPECT_EQ(PropertyLookups(), lookups);
    EXPECT_EQ(PropertyValueReads(), value_reads);
    // A written record's destructor still reads for itself.
    const std::vector<std::string> kDestructorReads = {kOnKey, kCategoryKey, kOnKey, kSeverityKey,
                                                       kBufferSizeKey};
    for (const Step& change : changes) {
        SCOPED_TRACE(std::string(change.key) + " = " + change.value);
        SetAreaProperty(change.key, change.value);
        ClearRecords();
        record();
        EXPECT_FALSE(TakeConsultedKeys().empty());
        record();
        EXPECT_EQ(TakeConsultedKeys(),
                  change.written ? kDestructorReads : std::vector<std::string>());
        EXPECT_EQ(Records().size(), change.written ? 2u : 0u);
    }
}

// Only a module whose text cannot change is remembered; one that can is asked afresh, uncopied,
// and gets each record's own verdict at one site.
TEST_F(LogTest, ASiteRemembersOnlyAModuleWhoseTextCannotChange) {
    for (const char* key : kPropertyKeys) SetAreaProperty(key, "");  // each check shows by its key
    static const char kConstArray[] = "QUIB";
    static const char kTable[][5] = {"QUIB", "VELK"};
    char buffer[] = "QUIB";
    const char* pointer = "QUIB";
    std::string string = "QUIB";
    std::string_view view = "QUIB";
    const struct {
        std::function<void()> record;
        bool remembered;
    } kinds[] = {
            {[] { PLUMIX_LOG(INFO, "QUIB"); }, true},
            {[] { PLUMIX_LOG(INFO, kConstArray); }, true},
            {[&] { PLUMIX_LOG(INFO, buffer); }, false},
            {[&] { PLUMIX_LOG(INFO, pointer); }, false},
            {[&] { PLUMIX_LOG(INFO, string); }, false},
            {[&] { PLUMIX_LOG(INFO, view); }, false},
            {[] {
                 for (const auto& name : kTable) PLUMIX_LOG(INFO, name) << name;
             },
             false},
    };
    for (size_t i = 0; i < std::size(kinds); ++i) {
        kinds[i].record();
        TakeConsultedKeys();
        kinds[i].record();
        EXPECT_EQ(TakeConsultedKeys().empty(), kinds[i].remembered) << "kind " << i;
    }
    EXPECT_EQ(Texts(), TextList({"<operator()>VELK", "<operator()>VELK"}));
    std::strcpy(buffer, "VELK");
    pointer = "VELK";
    string = "VELK";
    view = "VELK";
    ClearRecords();
    for (const auto& kind : kinds) kind.record();
    EXPECT_EQ(Records().size(), 5u);
}

}  // namespace
