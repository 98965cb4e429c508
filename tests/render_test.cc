// Raw bytes rendered as text: the per-byte rule, its four entry points and the buffer record.
#include <plumix_log.h>
#include <sys/mman.h>

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "log_capture.h"

namespace {

using namespace vendor::korvane::zunt_tools::log;
using namespace plumix_test;

using RenderTest = LogTest;

// The ASCII abbreviations of codes 0x00..0x1F in code order, kept apart from the library's table.
constexpr char kAsciiControlNames[] =
        "NUL SOH STX ETX EOT ENQ ACK BEL BS HT LF VT FF CR SO SI "
        "DLE DC1 DC2 DC3 DC4 NAK SYN ETB CAN EM SUB ESC FS GS RS US";

std::string ExpectedRendering(unsigned char byte) {
    if (byte >= 0x80) {
        char hex[8];
        std::snprintf(hex, sizeof(hex), "%X", byte);
        return hex;
    }
    if (byte >= 0x20) return std::string(1, static_cast<char>(byte));
    std::istringstream names(kAsciiControlNames);
    std::string name;
    for (int i = 0; i <= byte; ++i) names >> name;
    return "<" + name + ">";
}

TEST_F(RenderTest, EveryByteRendersByItsRule) {
    std::string all_bytes;
    std::string all_expected;
    for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(value);
        const auto c = static_cast<char>(value);
        const std::string expected = ExpectedRendering(static_cast<unsigned char>(value));
        all_bytes += c;
        all_expected += expected;
        EXPECT_EQ(LogMessageData(Exact(std::string(1, c)).data(), 1).GetBuffer(), expected);

        std::string control = "x";
        EXPECT_EQ(ConvertCtrlASCII(c, control), value < 0x20);
        EXPECT_EQ(control, value < 0x20 ? "x" + expected : "x");
        std::string high = "x";
        EXPECT_EQ(ConvertNonASCII(c, high), value >= 0x80);
        EXPECT_EQ(high, value >= 0x80 ? "x" + expected : "x");
    }
    // The whole range in one call: runs of printable bytes next to named and hexadecimal ones.
    EXPECT_EQ(LogMessageData(Exact(all_bytes).data(), 256).GetBuffer(), all_expected);
    LogMessageData from_text(nullptr, 0);
    from_text.AddBuffer(all_bytes);
    EXPECT_EQ(from_text.GetBuffer(), all_expected);
}

// Each case through the pointer form, the string form and the buffer constructor.
TEST_F(RenderTest, EntryPointsAgree) {
    const struct {
        std::string bytes;
        std::string rendered;
    } cases[] = {
            {"\x1F", "<US>"},
            {" ", " "},
            {"\x7F", "\x7F"},
            {"\x80", "80"},
            {"\xFF", "FF"},
            {"\x0D", "<CR>"},
            {"\xA5", "A5"},
            {"A\n\377B", "A<LF>FFB"},
            {std::string("a\0b", 3), "a<NUL>b"},
            {std::string("\0\0", 2), "<NUL><NUL>"},
            {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rendered);
        const std::vector<char> bytes = Exact(c.bytes);
        const int length = static_cast<int>(bytes.size());
        EXPECT_EQ(LogMessageData(bytes.data(), length).GetBuffer(), c.rendered);
        std::string text = c.bytes;
        LogMessageData from_text(nullptr, 0);
        from_text.AddBuffer(text);
        EXPECT_EQ(from_text.GetBuffer(), c.rendered);
        EXPECT_EQ(LogMessage(INFO, "VELK", "run", bytes.data(), length).ToString(),
                  "<run>" + c.rendered);
    }
}

TEST_F(RenderTest, AddBufferAppends) {
    LogMessageData data(Exact("ab\x01").data(), 3);
    data.AddBuffer(Exact("\xFF").data(), 1);
    std::string text("\0z", 2);
    data.AddBuffer(text);
    EXPECT_EQ(data.GetBuffer(), "ab<SOH>FF<NUL>z");
    EXPECT_EQ(data.GetBuffer(), "ab<SOH>FF<NUL>z");
}

TEST_F(RenderTest, NullDataOrLengthBelowOneRendersNothing) {
    const std::vector<char> bytes = Exact("abc");
    const struct {
        const char* data;
        int length;
    } cases[] = {{nullptr, 5}, {bytes.data(), 0}, {bytes.data(), -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(LogMessageData(c.data, c.length).GetBuffer(), "");
        LogMessageData appended(bytes.data(), 1);
        appended.AddBuffer(c.data, c.length);
        EXPECT_EQ(appended.GetBuffer(), "a");
        EXPECT_EQ(LogMessage(INFO, "VELK", "run", c.data, c.length).ToString(), "<run>");
    }
}

TEST_F(RenderTest, BufferRecordIsHeaderThenRenderingThenStreamedText) {
    const std::vector<char> bytes = Exact("A\n\377B");
    LogMessage(INFO, "VELK", "run", bytes.data(), 4).stream() << '!';
    LogMessage(INFO, "VELK", "run", nullptr, 4);
    const std::vector<Record> records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].priority, ANDROID_LOG_INFO);
    EXPECT_EQ(records[0].tag, "VELK");
    EXPECT_EQ(records[0].text, "<run>A<LF>FFB!");
    EXPECT_EQ(records[1].text, "<run>");
}

// Three bytes rendering to fifteen characters: a check on the byte count would pass them all.
TEST_F(RenderTest, BufferRecordPassesTheGateOnItsRenderedLength) {
    const std::vector<char> bytes = Exact("\x01\x02\x03");
    const std::string text = "<f><SOH><STX><ETX>";  // 18 characters
    const struct {
        const char* size;
        const char* module;
        bool written;
    } cases[] = {{"19", "VELK", true},
                 {"18", "VELK", false},
                 {"0", "VELK", true},
                 {"19", "HULM", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.size) + " " + c.module);
        SetProperty(kBufferSizeKey, c.size);
        ClearRecords();
        LogMessage(INFO, c.module, "f", bytes.data(), 3);
        EXPECT_EQ(Texts(), c.written ? TextList{text} : TextList{});
    }
}

// Where size_t has 32 bits, the rendering of a long buffer can count past it: that must fail as a
// length too long, never wrap into a short string that the rendering then overruns.
TEST_F(RenderTest, RenderingTooLongToCountFailsWithLengthError) {
    if (sizeof(size_t) > 4) GTEST_SKIP() << "only a 32-bit size_t can wrap here";
    // NUL renders as "<NUL>", so these many render to 2^32 - 1 characters: the room kept past the
    // end wraps the sum, and one byte more wraps the rendered size itself. Pages of an anonymous
    // mapping that are only read are all one zero page, so this takes no memory.
    constexpr int kRendersToSizeMax = 858993459;
    const size_t mapped = kRendersToSizeMax + 1;
    void* zeros =
            mmap(nullptr, mapped, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(zeros, MAP_FAILED);
    const char* data = static_cast<const char*>(zeros);

    // Each call reads the whole mapping, so each path is taken once.
    EXPECT_THROW(LogMessage(ERROR, "VELK", "f", data, kRendersToSizeMax), std::length_error);
    EXPECT_EQ(Texts(), TextList{"<f>"});
    LogMessageData added(data, 1);
    EXPECT_THROW(added.AddBuffer(data, kRendersToSizeMax + 1), std::length_error);
    EXPECT_EQ(added.GetBuffer(), "<NUL>");
    munmap(zeros, mapped);
}

}  // namespace
