// Memory exhausted while a record is built. This binary replaces the global allocator with one
// that a thread can arm to fail once after a given number of allocations. Like malloc, it sets
// errno when it fails, and when armed to, when it succeeds.
#include <plumix_log.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "log_capture.h"

namespace {

// Per thread, so that gtest and the other threads of a test allocate as usual.
thread_local long t_allocations_before_failure = -1;  // below 0: disarmed
thread_local long t_allocations = 0;
thread_local int t_failures = 0;
thread_local int t_errno_on_success = 0;  // 0: left alone

void* Allocate(std::size_t size) {
    ++t_allocations;
    if (t_allocations_before_failure == 0) {
        t_allocations_before_failure = -1;
        ++t_failures;
        errno = ENOMEM;
        return nullptr;
    }
    if (t_errno_on_success != 0) errno = t_errno_on_success;
    if (t_allocations_before_failure > 0) --t_allocations_before_failure;
    return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
    void* memory = Allocate(size);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

}  // namespace

void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}

namespace {

using namespace vendor::korvane::zunt_tools::log;
using namespace plumix_test;

void FailAfter(long allocations) {
    t_allocations_before_failure = allocations;
    t_failures = 0;
}

void Disarm() {
    t_allocations_before_failure = -1;
}

// Detached, so that a header lock left locked fails the test instead of hanging it.
bool WritesFromAnotherThread() {
    auto written = std::make_shared<std::promise<void>>();
    std::future<void> done = written->get_future();
    std::thread([written] {
        LogMessage(ERROR, "VELK", "Other", "thread").stream() << "after";
        written->set_value();
    }).detach();
    return done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
}

class AllocFailureTest : public LogTest {
  protected:
    // Built before arming. The module copy needs the heap, and the header outgrows the stream's
    // first buffer while staying under the default buffer size.
    const std::string module_ = "a-module-past-the-small-string-buffer";
    const std::string class_name_ = std::string(300, 'C');
    const std::string func_name_ = std::string(300, 'f');

    // ERROR passes whatever the module. Disarms once the header stands.
    void WriteRecord(const char* body) {
        LogMessage record(ERROR, module_, class_name_, func_name_);
        Disarm();
        record.stream() << body;
    }

    std::string Text(const std::string& body) {
        return "<" + class_name_ + "::" + func_name_ + ">" + body;
    }
};

TEST_F(AllocFailureTest, FailureWhileWritingHeaderReachesCallerAndFreesLock) {
    WriteRecord("");  // creates the process-wide objects outside the count
    t_allocations = 0;
    long construction_allocations = 0;
    {
        LogMessage record(ERROR, module_, class_name_, func_name_);
        construction_allocations = t_allocations;
    }
    ASSERT_GE(construction_allocations, 3);

    for (long n = 0; n < construction_allocations; ++n) {
        SCOPED_TRACE(::testing::Message() << "failing allocation " << n);
        ClearRecords();
        FailAfter(n);
        EXPECT_THROW(WriteRecord("lost"), std::bad_alloc);
        Disarm();
        EXPECT_EQ(t_failures, 1);
        EXPECT_TRUE(Texts().empty());
        ASSERT_TRUE(WritesFromAnotherThread());
        WriteRecord("next");
        EXPECT_EQ(Texts(), TextList({"<Other::thread>after", Text("next")}));
    }

    // With one allocation more to spare the construction succeeds: every point was hit.
    ClearRecords();
    FailAfter(construction_allocations);
    EXPECT_NO_THROW(WriteRecord("whole"));
    EXPECT_EQ(t_failures, 0);
    EXPECT_EQ(Texts(), TextList({Text("whole")}));
}

TEST_F(AllocFailureTest, FailureInsideDestructorDropsRecord) {
    {
        LogMessage record(ERROR, "VELK", "Class", "func");
        record.stream() << std::string(200, 'x');  // taking the text needs the heap
        FailAfter(0);
    }
    Disarm();
    EXPECT_EQ(t_failures, 1);
    EXPECT_TRUE(Texts().empty());

    WriteRecord("next");
    EXPECT_EQ(Texts(), TextList({Text("next")}));
}

TEST_F(AllocFailureTest, FailureWhileRenderingWritesHeaderAloneAndReachesCaller) {
    SetProperty(kBufferSizeKey, "0");
    const std::string bytes(3000, 'b');  // outgrows the stream's buffer, so the write can tear
    auto construct = [&] {
        LogMessage record(ERROR, module_, func_name_, bytes.data(), static_cast<int>(bytes.size()));
        Disarm();
    };
    long header_allocations = 0, all_allocations = 0;
    {
        t_allocations = 0;
        LogMessage record(ERROR, module_, func_name_);
        header_allocations = t_allocations;
    }
    {
        t_allocations = 0;
        LogMessage record(ERROR, module_, func_name_, bytes.data(), static_cast<int>(bytes.size()));
        all_allocations = t_allocations;
    }
    ASSERT_GT(all_allocations, header_allocations);

    for (long n = header_allocations; n < all_allocations; ++n) {
        SCOPED_TRACE(::testing::Message() << "failing allocation " << n);
        ClearRecords();
        FailAfter(n);
        EXPECT_THROW(construct(), std::bad_alloc);
        Disarm();
        EXPECT_EQ(t_failures, 1);
        EXPECT_EQ(Texts(), TextList({"<" + func_name_ + ">"}));
    }
}

// From here on every allocation that succeeds sets errno, as a malloc may.
void SetErrnoOnAllocation() {
    t_errno_on_success = EOVERFLOW;
    t_allocations = 0;
}

// Each entry point, written and dropped, with errno set by the allocations (and by one that fails,
// inside the destructor) that it and the property reads make: the caller's errno comes back.
TEST_F(AllocFailureTest, EveryEntryPointLeavesErrnoAsItFoundIt) {
    ShowDumpChunks();
    // Long enough that reading the mask and copying these need the heap.
    SetProperty(kCategoryKey, std::string(20, ' ') + "0x01011");
    static const std::string kLong(100, 'x');
    static const char kBytes[] = "\x01 bytes past the small buffer of a string \xFF";
    static constexpr int kByteCount = sizeof(kBytes);
    const std::pair<const char*, void (*)()> cases[] = {
            {"LogMessage written",
             [] {
                 SetErrnoOnAllocation();
                 LogMessage(INFO, "VELK", kLong, "run");
             }},
            {"LogMessage dropped",
             [] {
                 SetErrnoOnAllocation();
                 LogMessage(INFO, kLong, "run");
             }},
            {"LogMessage of bytes",
             [] {
                 SetErrnoOnAllocation();
                 LogMessage(INFO, "VELK", "run", kBytes, kByteCount);
             }},
            {"ToString",
             [] {
                 LogMessage record(INFO, kLong, kLong);
                 SetErrnoOnAllocation();
                 record.ToString();
             }},
            {"destructor, allocation failing",
             [] {
                 LogMessage record(INFO, "VELK", kLong);
                 SetErrnoOnAllocation();
                 FailAfter(0);
             }},
            {"IsLoggable yes",
             [] {
                 SetErrnoOnAllocation();
                 IsLoggable(INFO, "VELK");
             }},
            {"IsLoggable no",
             [] {
                 SetErrnoOnAllocation();
                 IsLoggable(DEBUG, "ORNE");
             }},
            {"DUMPLOG written",
             [] {
                 SetErrnoOnAllocation();
                 DUMPLOG("VELK", "run", kBytes, kByteCount);
             }},
            {"DUMPLOG dropped",
             [] {
                 SetErrnoOnAllocation();
                 DUMPLOG("QUIB", "run", kBytes, kByteCount);
             }},
            {"LogMessageData",
             [] {
                 static std::string text;
                 text = kLong;
                 SetErrnoOnAllocation();
                 LogMessageData data(kBytes, kByteCount);
                 data.AddBuffer(text);
                 data.GetBuffer();
             }},
            {"Convert",
             [] {
                 std::string out = kLong;
                 out.shrink_to_fit();
                 SetErrnoOnAllocation();
                 ConvertCtrlASCII('\0', out);
                 ConvertNonASCII('\xFF', out);
             }},
            {"macros written",
             [] {
                 SetErrnoOnAllocation();
                 PLUMIX_LOG(INFO, "VELK") << kLong;
                 PLUMIX_LOG_CLASS_IF(INFO, "VELK", kLong, true) << kLong;
                 PLUMIX_LOG_EVERY_N(INFO, "VELK", 1) << kLong;
                 PLUMIX_LOG_FIRST_N(INFO, "VELK", 1) << kLong;
                 PLUMIX_LOG_EVERY_N_SEC(INFO, "VELK", 0) << kLong;
                 PLUMIX_PLOG(INFO, "VELK") << kLong;
                 PLUMIX_DUMP_CLASS("VELK", kLong, kBytes, unsigned{kByteCount});
             }},
            {"macros dropped",
             [] {
                 SetErrnoOnAllocation();
                 PLUMIX_LOG(INFO, "QUIB") << kLong;
                 PLUMIX_LOG_CLASS_IF(INFO, "QUIB", kLong, true) << kLong;
                 PLUMIX_LOG_EVERY_N(INFO, "QUIB", 1) << kLong;
                 PLUMIX_PLOG(INFO, "QUIB") << kLong;
                 PLUMIX_DUMP("QUIB", kBytes, long{kByteCount});
             }},
    };
    for (const auto& [what, call] : cases) {
        errno = EINTR;
        call();
        t_errno_on_success = 0;
        Disarm();
        EXPECT_EQ(errno, EINTR) << what;
        EXPECT_GT(t_allocations, 0) << what << ": nothing set errno";
    }
}

}  // namespace
