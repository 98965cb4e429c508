// Built with PLUMIX_LOG_MIN_SEVERITY=WARNING at -O2; the floor_strings check reads this binary for
// the texts streamed into records below the floor.
#include <plumix_log.h>

#include "log_capture.h"

namespace {

namespace plumix = vendor::korvane::zunt_tools::log;
using namespace plumix_test;

using FloorTest = LogTest;

// A severity the compiler cannot see through.
plumix::LogSeverity AtRunTime(plumix::LogSeverity severity) {
    static volatile plumix::LogSeverity held;
    held = severity;
    return held;
}

TEST_F(FloorTest, RecordsBelowTheFloorAreNeverWritten) {
    SetProperty(kSeverityKey, "0");
    const char bytes[] = {'A'};
    PLUMIX_LOG(INFO, "VELK") << "gone by the floor";
    PLUMIX_LOG_CLASS(DEBUG, "VELK", "Hal") << "gone by the floor";
    PLUMIX_LOG_IF(VERBOSE, "VELK", true) << "gone by the floor";
    PLUMIX_LOG_EVERY_N(INFO, "VELK", 1) << "gone by the floor";
    PLUMIX_LOG_FIRST_N(INFO, "VELK", 1) << "gone by the floor";
    PLUMIX_LOG_EVERY_N_SEC(INFO, "VELK", 0) << "gone by the floor";
    PLUMIX_PLOG(INFO, "VELK") << "gone by the floor";
    PLUMIX_LOG(AtRunTime(plumix::INFO), "VELK") << "below at run time";
    PLUMIX_LOG(AtRunTime(plumix::WARNING), "VELK") << "kept by the floor";
    PLUMIX_LOG_CLASS_IF(WARNING, "VELK", "Hal", true) << "kept by the floor";
    // Neither LogMessage used directly nor a dump is held to the floor.
    plumix::LogMessage(plumix::INFO, "VELK", "direct").stream() << "kept";
    PLUMIX_DUMP("VELK", bytes, 1);
    EXPECT_EQ(Texts(), (TextList{"<TestBody>kept by the floor", "<Hal::TestBody>kept by the floor",
                                 "<direct>kept", "<TestBody>dumplog length is 1"}));
}

}  // namespace
