// DUMPLOG: the length record, the switches, and chunk records that lose no byte.
#include <plumix_log.h>

#include <random>
#include <string>
#include <vector>

#include "log_capture.h"

namespace {

using namespace vendor::korvane::zunt_tools::log;
using namespace plumix_test;

using DumpTest = LogTest;

std::string Render(const char* data, size_t length) {
    return LogMessageData(data, static_cast<int>(length)).GetBuffer();
}

// The chunk bodies the dump must write, worked out byte by byte: a record is closed when the
// next byte's rendering would make it reach size, and the dump stops at a byte that fits no
// record at all.
TextList ExpectedBodies(const std::vector<char>& data, size_t header_length, size_t size) {
    TextList bodies;
    std::string body;
    for (const char& byte : data) {
        const std::string rendered = Render(&byte, 1);
        if (header_length + rendered.size() >= size) break;
        if (header_length + body.size() + rendered.size() >= size) {
            bodies.push_back(body);
            body.clear();
        }
        body += rendered;
    }
    if (!body.empty()) bodies.push_back(body);
    return bodies;
}

TEST_F(DumpTest, SwitchesDecideWhatIsWritten) {
    const std::vector<char> data = Exact("dump me");
    const std::string length_record = "<f>dumplog length is 7";
    const struct {
        const char* dump_on;
        const char* severity;
        const char* module;
        TextList texts;
    } cases[] = {
            {"0", "1", "VELK", {length_record}},
            {"", "1", "VELK", {length_record}},  // dumps are off by default
            {"1", "1", "HULM", {}},              // a module not enabled gets nothing at all
            {"1", "", "VELK", {length_record}},  // the default threshold drops DEBUG chunks
            {"1", "1", "VELK", {length_record, "<f>dump me"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.dump_on) + "/" + c.severity + "/" + c.module);
        SetProperty(kDumpOnKey, c.dump_on);
        SetProperty(kSeverityKey, c.severity);
        ClearRecords();
        DUMPLOG(c.module, "f", data.data(), 7);
        EXPECT_EQ(Texts(), c.texts);
    }
    const std::vector<Record> records = Records();  // those of the last case
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].priority, ANDROID_LOG_INFO);
    EXPECT_EQ(records[1].priority, ANDROID_LOG_DEBUG);
    EXPECT_EQ(records[1].tag, "VELK");
}

TEST_F(DumpTest, NullDataOrZeroLengthWritesTheNoOutputRecord) {
    ShowDumpChunks();
    const std::vector<char> data = Exact("x");
    const struct {
        const char* data;
        int length;
    } cases[] = {{nullptr, 5}, {data.data(), 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        ClearRecords();
        DUMPLOG("VELK", "f", c.data, c.length);
        const std::vector<Record> records = Records();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].priority, ANDROID_LOG_INFO);
        EXPECT_EQ(records[0].text, "<f>no dumplog output");
    }
}

TEST_F(DumpTest, EdgeSizesAndLengths) {
    ShowDumpChunks();
    const struct {
        const char* size;
        std::string bytes;
        int length;
        TextList texts;
    } cases[] = {
            {"0", "A\n\xFF", 3, {"<f>dumplog length is 3", "<f>A<LF>FF"}},
            {"-1", "AB", 2, {}},  // no record can pass; the dump must still end cleanly
            {"1024", "AB", -5, {"<f>dumplog length is -5"}},
            {"4", "abc", 3, {}},                     // the header alone fills the record
            {"5", "ab\001cd", 5, {"<f>a", "<f>b"}},  // <SOH> fits no record: the dump ends
            {"9", "ab\001cd", 5, {"<f>ab", "<f><SOH>", "<f>cd"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.size) + " " + std::to_string(c.length));
        SetProperty(kBufferSizeKey, c.size);
        ClearRecords();
        DUMPLOG("VELK", "f", Exact(c.bytes).data(), c.length);
        EXPECT_EQ(Texts(), c.texts);
    }
}

std::vector<char> MakeBytes(const std::string& mix, size_t length) {
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> any_byte(0, 255);
    std::vector<char> bytes(length);
    for (size_t i = 0; i < length; ++i) {
        int value = any_byte(random);
        if (mix == "printable") value = 0x20 + i % 0x60;
        if (mix == "control") value = i % 0x20;
        if (mix == "high") value = 0x80 + i % 0x80;
        if (mix == "mixed") value = i % 0x100;
        bytes[i] = static_cast<char>(value);
    }
    return bytes;
}

TEST_F(DumpTest, ChunksCoverTheBufferInRecordsShorterThanTheSize) {
    ShowDumpChunks();
    constexpr size_t kLength = 300;
    for (const int size : {7, 8, 16, 33, 100, 1024}) {
        SetProperty(kBufferSizeKey, std::to_string(size));
        for (const std::string func : {"", "run", "twenty_characters_fn"}) {
            for (const char* mix : {"printable", "control", "high", "mixed", "random"}) {
                SCOPED_TRACE(std::to_string(size) + " <" + func + "> " + mix);
                const std::vector<char> data = MakeBytes(mix, kLength);
                const std::string header = "<" + func + ">";
                ClearRecords();
                DUMPLOG("VELK", func, data.data(), kLength);

                TextList bodies;
                for (const Record& record : Records()) {
                    EXPECT_LT(record.text.size(), static_cast<size_t>(size));
                    if (record.priority == ANDROID_LOG_INFO) {
                        EXPECT_EQ(record.text, header + "dumplog length is 300");
                        EXPECT_TRUE(bodies.empty()) << "the length record comes first";
                        continue;
                    }
                    EXPECT_EQ(record.priority, ANDROID_LOG_DEBUG);
                    ASSERT_EQ(record.text.compare(0, header.size(), header), 0) << record.text;
                    bodies.push_back(record.text.substr(header.size()));
                    EXPECT_FALSE(bodies.back().empty());
                }
                EXPECT_EQ(bodies, ExpectedBodies(data, header.size(), size));
                // When the widest rendering fits, nothing is lost.
                if (header.size() + 5 >= static_cast<size_t>(size)) continue;
                std::string joined;
                for (const std::string& body : bodies) joined += body;
                EXPECT_EQ(joined, Render(data.data(), kLength));
            }
        }
    }
}

TEST_F(DumpTest, LongDumpsComeInChunksThatEachFitOneLogRecord) {
    ShowDumpChunks();
    constexpr size_t kLength = 64 * 1024;
    const std::string header = "<run>";
    const size_t limit = RecordLimit("VELK");
    // Without a buffer size, or with one past a record, the record limit alone closes a chunk.
    for (const char* size : {"0", "100000"}) {
        SetProperty(kBufferSizeKey, size);
        for (const char* mix : {"printable", "mixed", "random"}) {
            SCOPED_TRACE(std::string(size) + " " + mix);
            const std::vector<char> data = MakeBytes(mix, kLength);
            ClearRecords();
            DUMPLOG("VELK", "run", data.data(), kLength);

            const std::vector<Record> records = Records();
            ASSERT_FALSE(records.empty());
            TextList bodies;
            for (size_t i = 1; i < records.size(); ++i) {
                const std::string& text = records[i].text;
                EXPECT_LE(text.size(), limit);
                ASSERT_EQ(text.compare(0, header.size(), header), 0) << "a chunk was split";
                bodies.push_back(text.substr(header.size()));
            }
            EXPECT_EQ(bodies, ExpectedBodies(data, header.size(), limit + 1));
            std::string joined;
            for (const std::string& body : bodies) joined += body;
            EXPECT_EQ(joined, Render(data.data(), kLength));
        }
    }
}

}  // namespace
