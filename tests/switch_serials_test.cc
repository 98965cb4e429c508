// The switches read through the property area's serials, as on a device: no lookup and no value
// read while nothing changes, and yet every change honoured by the next record on every thread.
// Linked with the test's own property area (property_area.cc).
#include <android-base/properties.h>
#include <plumix_log.h>

#include <atomic>
#include <iterator>
#include <string>
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
    for (const std::string& text : Texts()) ++written.at(std::stoi(text.substr(6)));
    for (int s = 0; s < kSteps_; ++s) {
        EXPECT_EQ(written[s], kSteps[s].written ? kThreads : 0)
                << "step " << s << ": " << kSteps[s].key << " = \"" << kSteps[s].value << '"';
    }
}

}  // namespace
