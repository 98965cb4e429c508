// Records built, rendered and dumped on many threads at once while every property flips under
// them: each record that reaches the log is whole, and is one that some thread could have written.
#include <plumix_log.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "log_capture.h"

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#define VALGRIND_COUNT_ERRORS 0u
#endif

namespace {

using namespace vendor::korvane::zunt_tools::log;
using namespace plumix_test;

constexpr int kWorkers = 8;
constexpr int kMaxIterations = 10000;
constexpr auto kRunTime = std::chrono::milliseconds(1500);

// The host's property store takes no lock, so a read racing a write may see a byte-wise mix of
// the old and the new value. All values of a key have one length, so every mix is still a number,
// and the largest buffer size is also the byte-wise largest, which bounds every mix.
struct Flip {
    const char* key;
    std::vector<const char*> values;
};
const Flip kFlips[] = {
        {kOnKey, {"1", "1", "1", "0"}},
        {kSeverityKey, {"0", "1", "2", "5"}},
        {kBufferSizeKey, {"000", "024", "064", "399"}},
        {kCategoryKey, {"0x001011", "0x111111", "0x100000", "0x000000"}},
        {kDumpOnKey, {"1", "0"}},
};
constexpr size_t kLargestSize = 399;

const char* const kModules[] = {"VELK", "plumix", "Orne", "FENRO"};
const LogSeverity kSeverities[] = {DEBUG, INFO, ERROR, static_cast<LogSeverity>(7)};
constexpr int kPriorities[] = {ANDROID_LOG_DEBUG, ANDROID_LOG_INFO, ANDROID_LOG_ERROR, -1};
constexpr int kSliceOffset = 1;
constexpr int kSliceLength = 40;

// The body tells which severity wrote it, so its priority can be checked.
std::string Body(int severity_index) {
    return "s" + std::to_string(severity_index) + " payload 0123456789";
}

class StressTest : public LogTest {
  protected:
    void SetUp() override {
        LogTest::SetUp();
        for (int b = 0; b < 256; ++b) dump_.push_back(static_cast<char>(b));
        rendering_ = LogMessageData(dump_.data(), static_cast<int>(dump_.size())).GetBuffer();
        offsets_.push_back(0);
        for (const char& byte : dump_) {
            offsets_.push_back(offsets_.back() + LogMessageData(&byte, 1).GetBuffer().size());
        }
        // Every key holds a value before the threads start, so no write adds to the store.
        for (const Flip& flip : kFlips) SetProperty(flip.key, flip.values[0]);
    }

    void Work(int worker) {
        const std::string func = "w" + std::to_string(worker);
        const std::string cls = "C" + std::to_string(worker);
        const std::string module = kModules[worker % std::size(kModules)];
        const auto deadline = std::chrono::steady_clock::now() + kRunTime;
        for (int i = 0; i < kMaxIterations && std::chrono::steady_clock::now() < deadline; ++i) {
            const int s = i % std::size(kSeverities);
            const LogSeverity severity = kSeverities[s];
            switch (i % 6) {
                case 0:
                    LogMessage(severity, module, cls, func).stream() << Body(s);
                    break;
                case 1:
                    LogMessage(severity, module, func).stream() << Body(s);
                    break;
                case 2:
                    LogMessage(severity, module, func, dump_.data() + kSliceOffset, kSliceLength);
                    break;
                case 3:
                    DUMPLOG(module, func, dump_.data(), static_cast<int>(dump_.size()));
                    break;
                case 4:
                    DUMPLOG(module, func, nullptr, 7);
                    break;
                case 5:
                    CheckRendering();
                    break;
            }
            if (i == 5) ++warmed_up_;
        }
    }

    void CheckRendering() {
        LogMessageData pieces(dump_.data(), 100);
        pieces.AddBuffer(dump_.data() + 100, static_cast<int>(dump_.size()) - 100);
        std::string text(dump_.begin(), dump_.end());
        LogMessageData whole(nullptr, 0);
        whole.AddBuffer(text);
        if (pieces.GetBuffer() != rendering_ || whole.GetBuffer() != rendering_) ++bad_renderings_;
    }

    // A chunk renders whole bytes: it starts and ends where a byte's rendering does.
    bool IsChunk(const std::string& body) const {
        if (body.empty()) return false;
        for (size_t start : offsets_) {
            if (rendering_.compare(start, body.size(), body) == 0 &&
                std::binary_search(offsets_.begin(), offsets_.end(), start + body.size())) {
                return true;
            }
        }
        return false;
    }

    // Which of the records the workers write this one can be, or "" when none.
    std::string Classify(const Record& record, const std::set<std::string>& headers) const {
        const std::string& text = record.text;
        const std::string header = text.substr(0, text.find('>') + 1);
        if (headers.count(header) == 0) return "";
        const std::string body = text.substr(header.size());
        for (size_t s = 0; s < std::size(kSeverities); ++s) {
            if (body == Body(s)) return record.priority == kPriorities[s] ? "plain" : "";
        }
        const bool info = record.priority == ANDROID_LOG_INFO;
        if (body == "dumplog length is 256" || body == "no dumplog output")
            return info ? "dump" : "";
        const size_t slice_start = offsets_[kSliceOffset];
        const size_t slice_size = offsets_[kSliceOffset + kSliceLength] - slice_start;
        if (body == rendering_.substr(slice_start, slice_size)) return "buffer";
        if (record.priority != ANDROID_LOG_DEBUG || !IsChunk(body)) return "";
        // Only a size of 0 lets a chunk be longer than the largest size allows, and then it takes
        // all that is left of the buffer.
        const bool reaches_end =
                rendering_.size() >= body.size() &&
                rendering_.compare(rendering_.size() - body.size(), body.size(), body) == 0;
        return text.size() < kLargestSize || reaches_end ? "chunk" : "";
    }

    std::vector<char> dump_;  // every byte value once, so each chunk has one place
    std::string rendering_;
    std::vector<size_t> offsets_;  // where each byte's rendering starts, and the end
    std::atomic<int> bad_renderings_{0};
    // Workers that wrote every kind once under the first values, which let each kind through.
    std::atomic<int> warmed_up_{0};
};

TEST_F(StressTest, RecordsStayWholeWhilePropertiesFlip) {
    std::atomic<bool> stop{false};
    std::thread flipper([&] {
        // Only then, so that however slowly the workers run (under Valgrind) every kind counted
        // below got through once.
        while (!stop && warmed_up_ < kWorkers) std::this_thread::yield();
        std::mt19937 random(7);
        while (!stop) {
            const Flip& flip = kFlips[random() % std::size(kFlips)];
            android::base::SetProperty(flip.key, flip.values[random() % flip.values.size()]);
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    });
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) workers.emplace_back([this, w] { Work(w); });
    for (std::thread& worker : workers) worker.join();
    stop = true;
    flipper.join();

    std::set<std::string> headers;
    for (int w = 0; w < kWorkers; ++w) {
        headers.insert("<w" + std::to_string(w) + ">");
        headers.insert("<C" + std::to_string(w) + "::w" + std::to_string(w) + ">");
    }
    const std::set<std::string> tags(std::begin(kModules), std::end(kModules));
    std::map<std::string, int> kinds;
    for (const Record& record : Records()) {
        const std::string kind = Classify(record, headers);
        ASSERT_NE(kind, "") << record.priority << " " << record.tag << " " << record.text;
        ASSERT_EQ(tags.count(record.tag), 1u) << record.tag;
        ++kinds[kind];
    }
    EXPECT_EQ(bad_renderings_, 0);
    // Each kind got through at some point, so the checks above did not pass on nothing.
    for (const char* kind : {"plain", "dump", "buffer", "chunk"}) EXPECT_GT(kinds[kind], 0) << kind;
}

// Records of several threads, each split into pieces: no other split record comes between the
// pieces of one, so joined in order they give back every record's exact text.
TEST_F(LogTest, PiecesOfSplitRecordsFromManyThreadsAreConsecutive) {
    constexpr int kThreads = 4;
    constexpr int kRecords = 300;
    // Each thread's text is a letter of its own, so that a stray piece cannot pass for another.
    const auto body = [](int thread, int record) {
        return std::to_string(record) + ":" + std::string(9000, static_cast<char>('a' + thread));
    };
    SetProperty(kBufferSizeKey, "0");
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string func = std::to_string(t);
            for (int r = 0; r < kRecords; ++r)
                LogMessage(INFO, "VELK", func).stream() << body(t, r);
        });
    }
    for (std::thread& thread : threads) thread.join();

    const std::vector<Record> records = Records();
    std::vector<int> next_record(kThreads, 0);
    for (size_t i = 0; i < records.size();) {
        // The first piece names its thread, and so the text all the record's pieces join into.
        const std::string& first = records[i].text;
        const int t = first.size() > 2 && first[0] == '<' ? first[1] - '0' : -1;
        ASSERT_TRUE(t >= 0 && t < kThreads) << "record " << i << " starts no record";
        const std::string expected = "<" + std::to_string(t) + ">" + body(t, next_record[t]++);
        std::string joined;
        while (i < records.size() && joined.size() < expected.size()) joined += records[i++].text;
        ASSERT_TRUE(joined == expected) << "the pieces up to record " << i << " do not join into "
                                        << expected.substr(0, 10) << "...";
    }
    EXPECT_EQ(next_record, std::vector<int>(kThreads, kRecords));
}

// Counts the bytes that reach the log, without a lock: a child forked while another thread is in
// here then finds nothing held.
std::atomic<size_t> g_logged_bytes{0};
#ifdef __ANDROID__
void CountRecord(const __android_log_message* message) {
    g_logged_bytes += std::strlen(message->message);
}
#else
void CountRecord(const __android_logger_data*, const char* message) {
    g_logged_bytes += std::strlen(message);
}
#endif

// Builds a record long enough to be split, through the real write path, and tells whether all of
// it reached the log. For a process with no other thread.
bool WritesWholeRecord(const std::string& func) {
    const std::string body(6000, 'x');
    const size_t before = g_logged_bytes;
    LogMessage(INFO, "VELK", func).stream() << body;
    return g_logged_bytes - before == func.size() + 2 + body.size();  // "<" func ">" body
}

// A child's own ways to fail, as its exit code.
constexpr int kNotWritten = 10;
constexpr int kGrandchildFailed = 11;
constexpr int kMemoryErrors = 12;
// memcheck.sh's --error-exitcode, which reports Valgrind's errors in a process as it exits.
constexpr int kValgrindErrorExit = 1;
constexpr int kHung = -1;

// A child's wait status, or kHung when it was still running at the deadline and was killed.
int WaitStatusWithin30s(pid_t child) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return kHung;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return status;
}

// How a child failed, or "" when it did not. Under Valgrind a child's exit status also reports
// the memory of the threads that did not follow it into the child; the child turns every other
// error Valgrind finds in it into kMemoryErrors itself, so that exit stands for the leaks alone.
std::string HowChildFailed(int status) {
    if (status == kHung) return "hung";
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    switch (WEXITSTATUS(status)) {
        case 0:
            return "";
        case kValgrindErrorExit:
            return RUNNING_ON_VALGRIND ? "" : "exited with 1";
        case kNotWritten:
            return "its record did not reach the log whole";
        case kGrandchildFailed:
            return "its own child failed";
        case kMemoryErrors:
            return "Valgrind found memory errors in it";
        default:
            return "exited with " + std::to_string(WEXITSTATUS(status));
    }
}

// In a forked child: writes a record, and forks a child of its own that does the same unless this
// is one already. Never returns.
[[noreturn]] void RunChild(bool has_parent_child) {
    const unsigned errors_before = VALGRIND_COUNT_ERRORS;
    int code = WritesWholeRecord(has_parent_child ? "Grandchild" : "Child") ? 0 : kNotWritten;
    if (code == 0 && !has_parent_child) {
        const pid_t grandchild = fork();
        if (grandchild == 0) RunChild(true);
        if (grandchild < 0 || !HowChildFailed(WaitStatusWithin30s(grandchild)).empty()) {
            code = kGrandchildFailed;
        }
    }
    if (code == 0 && VALGRIND_COUNT_ERRORS != errors_before) code = kMemoryErrors;
    _exit(code);
}

// Records that hold both locks for long, the header lock while a long header is written and the
// split record lock while its record goes out in pieces, built on two threads while the main
// thread forks: every child, and a child of each child, must still write a split record whole.
TEST_F(LogTest, ForkedChildrenWriteRecordsWhileOtherThreadsHoldTheLocks) {
    constexpr int kChildren = 40;
    __android_log_set_logger(CountRecord);
    SetProperty(kBufferSizeKey, "0");
    const std::string long_class(256 * 1024, 'C');
    std::atomic<bool> stop{false};
    std::vector<std::thread> builders;
    for (int t = 0; t < 2; ++t) {
        builders.emplace_back([&] {
            while (!stop) LogMessage(INFO, "VELK", long_class, "run");
        });
    }
    std::string failure;
    for (int i = 0; i < kChildren && failure.empty(); ++i) {
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) RunChild(false);
        failure = HowChildFailed(WaitStatusWithin30s(child));
    }
    stop = true;
    for (std::thread& builder : builders) builder.join();
    EXPECT_EQ(failure, "") << "a forked child failed";
}

}  // namespace
