// A caller's test built against an installed tree only: records captured in order, captures
// nested, switches set for a scope and put back, liblog's minimum priority handed back, rate
// limits afresh in each capture, records printed readably, a forked child without its parent's
// capture.
#include <android/log.h>
#include <plumix_log.h>
#include <plumix_log_testing.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <vector>

namespace plog = vendor::korvane::zunt_tools::log;
using plog::testing::CapturedRecord;
using plog::testing::ScopedLogCapture;
using plog::testing::ScopedProperty;
using Records = std::vector<CapturedRecord>;

namespace {

int failures = 0;

void Expect(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "FAIL: %s\n", what);
    ++failures;
}

constexpr char kThreshold[] = "vendor.plumix.log.severity";

void Probe(plog::LogSeverity severity) {
    PLUMIX_LOG(severity, "VELK") << "probe " << severity;
}

void ProbeRateLimited() {
    PLUMIX_LOG_FIRST_N(INFO, "VELK", 1) << "first";
    PLUMIX_LOG_EVERY_N_SEC(INFO, "VELK", 3600) << "hourly";
}

}  // namespace

int main() {
    for (int run = 0; run < 2; ++run) {
        ScopedLogCapture capture;
        ProbeRateLimited();
        ProbeRateLimited();
        Expect(capture.Records().size() == 2, "each capture sees the rate-limited sites afresh");
    }
    std::ostringstream printed;
    printed << CapturedRecord{ANDROID_LOG_WARN, "VELK", "<Probe>\"a\\b\"\n\x01é"}
            << CapturedRecord{42, "", ""};
    Expect(printed.str() == R"({ANDROID_LOG_WARN, "VELK", "<Probe>\"a\\b\"\n\001é"}{42, "", ""})",
           "a record prints as its initialiser");
    {
        ScopedLogCapture parent;
        const pid_t child = fork();
        if (child == 0) {
            Probe(plog::INFO);  // to the log
            ScopedLogCapture own;
            Probe(plog::INFO);
            _exit(parent.Records().empty() && own.Records().size() == 1 ? 0 : 1);
        }
        int status = -1;
        Expect(child > 0 && waitpid(child, &status, 0) == child && status == 0,
               "a forked child logs and captures without its parent's capture");
    }

    __android_log_set_minimum_priority(ANDROID_LOG_WARN);
    {
        ScopedLogCapture outer;
        {
            ScopedProperty verbose(kThreshold, "0");
            Expect(verbose.IsSet(), "the property is set");
            {
                ScopedProperty warnings(kThreshold, "3");
                Probe(plog::VERBOSE);  // below 3: dropped
            }
            Probe(plog::VERBOSE);  // 0 is back
            Probe(plog::ERROR);
            Expect(outer.Records() == Records{{ANDROID_LOG_VERBOSE, "VELK", "<Probe>probe 0"},
                                              {ANDROID_LOG_ERROR, "VELK", "<Probe>probe 4"}},
                   "records come in order, under the value in force");
            outer.Clear();
            {
                ScopedLogCapture inner;
                Probe(plog::DEBUG);
                Expect(inner.Records() == Records{{ANDROID_LOG_DEBUG, "VELK", "<Probe>probe 1"}},
                       "the inner capture takes the record");
            }
            Expect(outer.Records().empty(), "the outer capture sees nothing while inner lives");
            Probe(plog::INFO);
            Expect(outer.Records() == Records{{ANDROID_LOG_INFO, "VELK", "<Probe>probe 2"}},
                   "the outer capture is back in force");
            outer.Clear();
        }
        Probe(plog::DEBUG);  // the default threshold, 2, is back: the property reads as absent
        Expect(outer.Records().empty(), "the property's absence is put back");
    }
    Expect(__android_log_get_minimum_priority() == ANDROID_LOG_WARN,
           "liblog's minimum priority is handed back");
    return failures == 0 ? 0 : 1;
}
