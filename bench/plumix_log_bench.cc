// The record path, rendering and dumps, each beside the baseline its goal is a ratio of: the
// floor any conforming record path pays, and peers doing the same job. bench/report.py turns the
// medians of one interleaved run into the table of ratios.
//
// Built a second time with the test's in-memory property area (plumix_log_serial_bench), whose
// serial functions the library then reads its switches through, as on a device.
#include <android-base/logging.h>
#include <android-base/properties.h>
#include <android/log.h>
#include <benchmark/benchmark.h>
#include <plumix_log.h>
#include <spdlog/logger.h>
#include <spdlog/sinks/base_sink.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

#include "../src/switches/property_area.h"

namespace {

namespace plumix = vendor::korvane::zunt_tools::log;

constexpr char kClassName[] = "Hal";
constexpr char kFuncName[] = "run";
constexpr char kBody[] = "connected to the service, session 421 up";
static_assert(sizeof(kBody) - 1 == 40, "the workload's body is 40 characters");
constexpr size_t kBufferBytes = 64 * 1024;

// Per thread, so that the 2-thread row does not contend on the sink's own counters.
thread_local uint64_t t_records = 0;
thread_local uint64_t t_characters = 0;

// Every sink reads the whole text, as a real one would, and counts the record.
void Touch(const char* text, size_t max_length) {
    t_characters += strnlen(text, max_length);
    ++t_records;
}

void NullLogger(const __android_logger_data*, const char* message) {
    Touch(message, SIZE_MAX);
}

// libbase hands its records to liblog's logger when there is one; this catches them otherwise.
void NullBaseLogger(android::base::LogId, android::base::LogSeverity, const char*, const char*,
                    unsigned int, const char* message) {
    Touch(message, SIZE_MAX);
}

class NullSpdlogSink : public spdlog::sinks::base_sink<std::mutex> {
  protected:
    void sink_it_(const spdlog::details::log_msg& message) override {
        Touch(message.payload.data(), message.payload.size());
    }
    void flush_() override {}
};

// A fast wrong number must not pass: each row checks what reached the sink on its own thread.
void ExpectRecords(benchmark::State& state, uint64_t records_before, uint64_t expected) {
    const uint64_t records = t_records - records_before;
    if (records == expected) return;
    const std::string message = "expected " + std::to_string(expected) + " records, the sink got " +
                                std::to_string(records);
    state.SkipWithError(message.c_str());
}

const char* const kPropertyKeys[] = {
        "vendor.plumix.log.on",      "vendor.plumix.log.severity", "vendor.plumix.log.buffer.size",
        "vendor.plumix.log.catgory", "vendor.plumix.dumplog.on",
};

// An empty value reads as missing, so the defaults are back in force when a row ends.
class ScopedProperty {
  public:
    ScopedProperty(const char* key, const char* value) : key_(key) {
        android::base::SetProperty(key_, value);
    }
    ~ScopedProperty() { android::base::SetProperty(key_, ""); }

  private:
    std::string key_;
};

// --- The library ----------------------------------------------------------------------------

void LibraryRecord(const char* module) {
    plumix::LogMessage(plumix::INFO, module, kClassName, kFuncName).stream() << kBody;
}

void BM_LibraryWritten(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) LibraryRecord("VELK");
    ExpectRecords(state, before, state.iterations());
}

void BM_LibraryDroppedModule(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) LibraryRecord("QUIB");
    ExpectRecords(state, before, 0);
}

void BM_LibraryDroppedThreshold(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) {
        plumix::LogMessage(plumix::DEBUG, "VELK", kClassName, kFuncName).stream() << kBody;
    }
    ExpectRecords(state, before, 0);
}

void BM_LibraryDroppedOff(benchmark::State& state) {
    ScopedProperty off("vendor.plumix.log.on", "0");
    const uint64_t before = t_records;
    for (auto _ : state) LibraryRecord("VELK");
    ExpectRecords(state, before, 0);
}

void BM_LibraryToString(benchmark::State& state) {
    const uint64_t before = t_records;
    {
        plumix::LogMessage record(plumix::INFO, "VELK", kClassName, kFuncName);
        record.stream() << kBody;
        for (auto _ : state) {
            std::string text = record.ToString();
            benchmark::DoNotOptimize(text);
        }
    }
    ExpectRecords(state, before, 1);
}

// --- The macros --------------------------------------------------------------------------------

// The macros name the calling function in the header, so the same record as LibraryRecord's comes
// from a function called run of a class Hal.
struct Hal {
    static void run(plumix::LogSeverity severity, const char* module) {
        PLUMIX_LOG_CLASS(severity, module, kClassName) << kBody;
    }
};
static_assert(std::string_view(kFuncName) == "run", "the macro rows' function is named run");

void BM_MacroWritten(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) Hal::run(plumix::INFO, "VELK");
    ExpectRecords(state, before, state.iterations());
}

void BM_MacroDroppedModule(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) Hal::run(plumix::INFO, "QUIB");
    ExpectRecords(state, before, 0);
}

// Below the default threshold, module enabled: the gate reads all four of its properties.
void BM_MacroDroppedThreshold(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) Hal::run(plumix::DEBUG, "VELK");
    ExpectRecords(state, before, 0);
}

// The same record with the module a literal, which the call site remembers its verdict for, and
// in a std::string variable, which it asks about afresh every time.
struct HalLiteral {
    template <bool kModuleEnabled>
    static void run(plumix::LogSeverity severity) {
        if constexpr (kModuleEnabled) {
            PLUMIX_LOG_CLASS(severity, "VELK", kClassName) << kBody;
        } else {
            PLUMIX_LOG_CLASS(severity, "QUIB", kClassName) << kBody;
        }
    }
};

struct HalString {
    static void run(plumix::LogSeverity severity, const std::string& module) {
        PLUMIX_LOG_CLASS(severity, module, kClassName) << kBody;
    }
};

void BM_MacroWrittenLiteral(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) HalLiteral::run<true>(plumix::INFO);
    ExpectRecords(state, before, state.iterations());
}

void BM_MacroDroppedModuleLiteral(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) HalLiteral::run<false>(plumix::INFO);
    ExpectRecords(state, before, 0);
}

void BM_MacroDroppedThresholdLiteral(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) HalLiteral::run<true>(plumix::DEBUG);
    ExpectRecords(state, before, 0);
}

void BM_MacroDroppedModuleString(benchmark::State& state) {
    const std::string module = "QUIB";
    const uint64_t before = t_records;
    for (auto _ : state) HalString::run(plumix::INFO, module);
    ExpectRecords(state, before, 0);
}

void BM_MacroDroppedThresholdString(benchmark::State& state) {
    const std::string module = "VELK";
    const uint64_t before = t_records;
    for (auto _ : state) HalString::run(plumix::DEBUG, module);
    ExpectRecords(state, before, 0);
}

// --- Floors: what any conforming record path pays --------------------------------------------

struct FloorProperty {
    std::string key;
    std::string fallback;

    void Read() const {
        std::string value = android::base::GetProperty(key, fallback);
        benchmark::DoNotOptimize(value);
    }
};

struct FloorProperties {
    FloorProperty on{"vendor.plumix.log.on", "1"};
    FloorProperty severity{"vendor.plumix.log.severity", "2"};
    FloorProperty buffer_size{"vendor.plumix.log.buffer.size", "1024"};
    FloorProperty category{"vendor.plumix.log.catgory", "0x01011"};
};

const FloorProperties& Floor() {
    static const FloorProperties* properties = new FloorProperties;
    return *properties;
}

void FloorStream(std::ostringstream& stream) {
    stream << '<' << kClassName << "::" << kFuncName << '>' << kBody;
}

// The reads of a record that passes the gate (on switch, category, on switch, threshold) and
// then its length check, its text taken once, and the one call that hands a text to liblog.
void FloorWrite(const FloorProperties& properties, const std::ostringstream& stream, int priority) {
    properties.on.Read();
    properties.category.Read();
    properties.on.Read();
    properties.severity.Read();
    const std::string text = stream.str();
    properties.buffer_size.Read();
    __android_log_write(priority, "VELK", text.c_str());
}

void BM_FloorWritten(benchmark::State& state) {
    const FloorProperties& properties = Floor();
    const uint64_t before = t_records;
    for (auto _ : state) {
        std::ostringstream stream;
        FloorStream(stream);
        FloorWrite(properties, stream, ANDROID_LOG_INFO);
    }
    ExpectRecords(state, before, state.iterations());
}

void BM_FloorDropped(benchmark::State& state) {
    const FloorProperties& properties = Floor();
    const uint64_t before = t_records;
    for (auto _ : state) {
        std::ostringstream stream;
        FloorStream(stream);
        properties.on.Read();
        properties.category.Read();
        benchmark::DoNotOptimize(stream);
    }
    ExpectRecords(state, before, 0);
}

// What a record dropped by the module mask must read: the on switch, then the mask.
void BM_FloorModuleReads(benchmark::State& state) {
    const FloorProperties& properties = Floor();
    for (auto _ : state) {
        properties.on.Read();
        properties.category.Read();
    }
}

// What a record below the threshold must read: on switch, mask, on switch, threshold.
void BM_FloorThresholdReads(benchmark::State& state) {
    const FloorProperties& properties = Floor();
    for (auto _ : state) {
        properties.on.Read();
        properties.category.Read();
        properties.on.Read();
        properties.severity.Read();
    }
}

// What no remembered verdict goes below: one acquire load of a word and a compare.
void BM_FloorRememberedVerdict(benchmark::State& state) {
    static std::atomic<uint64_t> word{1};
    const uint64_t before = t_records;
    for (auto _ : state) {
        bool same = word.load(std::memory_order_acquire) == 1;
        benchmark::DoNotOptimize(same);
    }
    ExpectRecords(state, before, 0);
}

// --- Peers doing the same job ------------------------------------------------------------------

void BM_PeerLibbaseLog(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) LOG(INFO) << '<' << kClassName << "::" << kFuncName << '>' << kBody;
    ExpectRecords(state, before, state.iterations());
}

// Below libbase's minimum, which on a host is liblog's minimum priority: INFO, as by default.
void BM_PeerLibbaseLogDropped(benchmark::State& state) {
    __android_log_set_minimum_priority(ANDROID_LOG_INFO);
    const uint64_t before = t_records;
    for (auto _ : state) LOG(DEBUG) << '<' << kClassName << "::" << kFuncName << '>' << kBody;
    ExpectRecords(state, before, 0);
    __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
}

spdlog::logger& Spdlog() {
    static spdlog::logger* logger = new spdlog::logger("VELK", std::make_shared<NullSpdlogSink>());
    return *logger;
}

void BM_PeerSpdlog(benchmark::State& state) {
    spdlog::logger& logger = Spdlog();
    const uint64_t before = t_records;
    for (auto _ : state) logger.info("<{}::{}>{}", kClassName, kFuncName, kBody);
    ExpectRecords(state, before, state.iterations());
}

// Below the logger's level, info by default.
void BM_PeerSpdlogDropped(benchmark::State& state) {
    spdlog::logger& logger = Spdlog();
    const uint64_t before = t_records;
    for (auto _ : state) logger.debug("<{}::{}>{}", kClassName, kFuncName, kBody);
    ExpectRecords(state, before, 0);
}

// --- Rendering and dumps ----------------------------------------------------------------------

const std::string& PrintableBytes() {
    static const std::string* bytes = [] {
        auto* text = new std::string(kBufferBytes, ' ');
        for (size_t i = 0; i < text->size(); ++i) (*text)[i] = static_cast<char>(0x20 + i % 95);
        return text;
    }();
    return *bytes;
}

const std::string& RandomBytes() {
    static const std::string* bytes = [] {
        auto* data = new std::string(kBufferBytes, '\0');
        std::mt19937 generator(20240607);
        std::uniform_int_distribution<int> byte(0, 255);
        for (char& c : *data) c = static_cast<char>(byte(generator));
        return data;
    }();
    return *bytes;
}

// What a renderer that skips work would not match: the public conversions, one byte at a time.
std::string ByteByByte(const std::string& bytes) {
    std::string rendered;
    for (char c : bytes) {
        if (!plumix::ConvertCtrlASCII(c, rendered) && !plumix::ConvertNonASCII(c, rendered)) {
            rendered += c;
        }
    }
    return rendered;
}

void Render(benchmark::State& state, const std::string& bytes) {
    const int length = static_cast<int>(bytes.size());
    const uint64_t before = t_records;
    for (auto _ : state) {
        plumix::LogMessageData rendered(nullptr, 0);
        rendered.AddBuffer(bytes.data(), length);
        benchmark::DoNotOptimize(rendered);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    if (plumix::LogMessageData(bytes.data(), length).GetBuffer() != ByteByByte(bytes)) {
        state.SkipWithError("the rendering differs from the byte-by-byte conversions");
    }
    ExpectRecords(state, before, 0);
}

void BM_RenderPrintable(benchmark::State& state) {
    Render(state, PrintableBytes());
}

void BM_RenderRandom(benchmark::State& state) {
    Render(state, RandomBytes());
}

void BM_Memcpy(benchmark::State& state) {
    const std::string& bytes = PrintableBytes();
    std::string copy(bytes.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// The chunks of the dump row hold this many characters, "<run>" and the text under 1024.
constexpr size_t kChunkCharacters = 1024 - 1 - (sizeof(kFuncName) - 1 + 2);
static_assert(kChunkCharacters == 1018, "a chunk of the dump row is 1018 characters");

// One chunk record as any dump of this design must write it: the buffer size read to cut the
// chunk, the stream given its header and 1018 characters of text, and a written record's reads
// and log call.
void BM_FloorChunk(benchmark::State& state) {
    const FloorProperties& properties = Floor();
    const std::string& bytes = PrintableBytes();
    const uint64_t before = t_records;
    for (auto _ : state) {
        properties.buffer_size.Read();
        std::ostringstream stream;
        stream << '<' << kFuncName << '>';
        stream.write(bytes.data(), kChunkCharacters);
        FloorWrite(properties, stream, ANDROID_LOG_DEBUG);
    }
    ExpectRecords(state, before, state.iterations());
}

void BM_DumplogPrintable(benchmark::State& state) {
    ScopedProperty dump_on("vendor.plumix.dumplog.on", "1");
    ScopedProperty severity("vendor.plumix.log.severity", "1");
    ScopedProperty buffer_size("vendor.plumix.log.buffer.size", "1024");
    const std::string module = "VELK";
    const std::string function = kFuncName;
    const std::string& bytes = PrintableBytes();
    const uint64_t before = t_records;
    for (auto _ : state) DUMPLOG(module, function, bytes.data(), static_cast<int>(bytes.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    // The length record, then chunks of as many printable bytes as keep "<run>" + chunk < 1024.
    const uint64_t per_dump = 1 + (bytes.size() + kChunkCharacters - 1) / kChunkCharacters;
    ExpectRecords(state, before, state.iterations() * per_dump);
    state.counters["records_per_dump"] = static_cast<double>(per_dump);
}

BENCHMARK(BM_LibraryWritten)->UseRealTime();
BENCHMARK(BM_LibraryWritten)->UseRealTime()->Threads(2);
BENCHMARK(BM_LibraryDroppedModule)->UseRealTime();
BENCHMARK(BM_LibraryDroppedThreshold)->UseRealTime();
BENCHMARK(BM_LibraryDroppedOff)->UseRealTime();
BENCHMARK(BM_LibraryToString)->UseRealTime();
BENCHMARK(BM_MacroWritten)->UseRealTime();
BENCHMARK(BM_MacroDroppedModule)->UseRealTime();
BENCHMARK(BM_MacroDroppedThreshold)->UseRealTime();
BENCHMARK(BM_MacroWrittenLiteral)->UseRealTime();
BENCHMARK(BM_MacroDroppedModuleLiteral)->UseRealTime();
BENCHMARK(BM_MacroDroppedThresholdLiteral)->UseRealTime();
BENCHMARK(BM_MacroDroppedModuleString)->UseRealTime();
BENCHMARK(BM_MacroDroppedThresholdString)->UseRealTime();
BENCHMARK(BM_FloorRememberedVerdict)->UseRealTime();
BENCHMARK(BM_FloorWritten)->UseRealTime();
BENCHMARK(BM_FloorWritten)->UseRealTime()->Threads(2);
BENCHMARK(BM_FloorDropped)->UseRealTime();
BENCHMARK(BM_FloorModuleReads)->UseRealTime();
BENCHMARK(BM_FloorThresholdReads)->UseRealTime();
BENCHMARK(BM_FloorChunk)->UseRealTime();
BENCHMARK(BM_PeerLibbaseLog)->UseRealTime();
BENCHMARK(BM_PeerLibbaseLogDropped)->UseRealTime();
BENCHMARK(BM_PeerSpdlog)->UseRealTime();
BENCHMARK(BM_PeerSpdlogDropped)->UseRealTime();
BENCHMARK(BM_RenderPrintable)->UseRealTime();
BENCHMARK(BM_RenderRandom)->UseRealTime();
BENCHMARK(BM_Memcpy)->UseRealTime();
BENCHMARK(BM_DumplogPrintable)->UseRealTime();

// --- Rate limits, conditions and errno records ------------------------------------------------

// The same record as Hal::run's through the other macros, from a function run of class Hal.
struct HalLimited {
    static void run(plumix::LogSeverity severity, const char* module, uint64_t n) {
        PLUMIX_LOG_CLASS_EVERY_N(severity, module, kClassName, n) << kBody;
    }
};

struct HalIf {
    static void run(plumix::LogSeverity severity, const char* module, bool condition) {
        PLUMIX_LOG_CLASS_IF(severity, module, kClassName, condition) << kBody;
    }
};

struct HalPlog {
    static void run(plumix::LogSeverity severity, const char* module) {
        PLUMIX_PLOG_CLASS(severity, module, kClassName) << kBody;
    }
};

// Past the gate (VELK at INFO reads what the threshold row reads), then held back by the count:
// the site's one written record comes before the loop.
void BM_MacroEveryNHeldBack(benchmark::State& state) {
    constexpr uint64_t kNever = uint64_t{1} << 62;
    HalLimited::run(plumix::INFO, "VELK", kNever);
    const uint64_t before = t_records;
    for (auto _ : state) HalLimited::run(plumix::INFO, "VELK", kNever);
    ExpectRecords(state, before, 0);
}

void BM_MacroIfFalse(benchmark::State& state) {
    const uint64_t before = t_records;
    for (auto _ : state) {
        bool condition = false;
        benchmark::DoNotOptimize(condition);
        HalIf::run(plumix::INFO, "VELK", condition);
    }
    ExpectRecords(state, before, 0);
}

void BM_MacroPlogWritten(benchmark::State& state) {
    errno = EIO;
    const uint64_t before = t_records;
    for (auto _ : state) HalPlog::run(plumix::INFO, "VELK");
    ExpectRecords(state, before, state.iterations());
}

BENCHMARK(BM_MacroEveryNHeldBack)->UseRealTime();
BENCHMARK(BM_MacroIfFalse)->UseRealTime();
BENCHMARK(BM_MacroPlogWritten)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // libbase may route liblog to its own logger, so liblog's sink is set after it.
    android::base::SetLogger(NullBaseLogger);
    __android_log_set_logger(NullLogger);
    __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
    for (const char* key : kPropertyKeys) android::base::SetProperty(key, "");

    // report.py checks that the serial rows came through the serials.
    benchmark::AddCustomContext("switch_reads",
                                vendor::korvane::zunt_tools::log::internal::HasPropertyArea()
                                        ? "property area serials"
                                        : "android::base::GetProperty");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
