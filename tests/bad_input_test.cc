// Whatever callers and operators hand the library, the process goes on and every record that the
// switches let through is written whole.
#include <plumix_log.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "../src/switches/saturated_length.h"
#include "log_capture.h"

namespace {

using namespace vendor::korvane::zunt_tools::log;
using namespace plumix_test;

const std::string kHuge(1 << 20, 'n');

using BadInputTest = LogTest;

TEST_F(BadInputTest, NullDataAndLengthsBelowOneRenderNothing) {
    const std::vector<char> one_byte{'x'};  // exact size: reading a second byte would show
    const char* const valid = one_byte.data();
    const struct {
        const char* data;
        int length;
    } cases[] = {
            {nullptr, 0},       {nullptr, 1}, {nullptr, -1}, {nullptr, INT_MAX},
            {nullptr, INT_MIN}, {valid, 0},   {valid, -1},   {valid, INT_MIN},
    };
    ShowDumpChunks();  // so that a stray chunk record would show
    for (const auto& c : cases) {
        SCOPED_TRACE((c.data ? "data, " : "null, ") + std::to_string(c.length));
        EXPECT_EQ(LogMessageData(c.data, c.length).GetBuffer(), "");
        LogMessageData added(valid, 1);
        added.AddBuffer(c.data, c.length);
        EXPECT_EQ(added.GetBuffer(), "x");

        ClearRecords();
        EXPECT_EQ(LogMessage(ERROR, "VELK", "f", c.data, c.length).ToString(), "<f>");
        EXPECT_EQ(Texts(), TextList{"<f>"});

        ClearRecords();
        DUMPLOG("VELK", "f", c.data, c.length);
        const bool nothing = c.data == nullptr || c.length == 0;
        ASSERT_EQ(Texts(), TextList{nothing ? "<f>no dumplog output"
                                            : "<f>dumplog length is " + std::to_string(c.length)});
        EXPECT_EQ(Records()[0].priority, ANDROID_LOG_INFO);
    }
}

// A tag is cut to 256 bytes, so that a device's liblog can build the name of the tag's filter
// property on the writing thread's stack. A host proves the cut and that the text still arrives
// whole; it cannot prove the stack safe, since its liblog looks up no per-tag property.
TEST_F(BadInputTest, EmptyAndHugeNamesAreWrittenOrDroppedWhole) {
    const std::string utf8_at_cut = std::string(255, 'm') + "\xC3\xA9" + "m";
    const struct {
        std::string module;
        std::string class_name;
        std::string func_name;
        const char* size;
        bool written;
        std::string tag;
    } cases[] = {
            {"", "", "", "", true, ""},
            {std::string(256, 'm'), "C", "f", "", true, std::string(256, 'm')},
            {std::string(257, 'm'), "C", "f", "", true, std::string(256, 'm')},
            {kHuge, "C", "f", "", true, kHuge.substr(0, 256)},
            {utf8_at_cut, "C", "f", "", true, std::string(255, 'm')},  // é is not cut in two
            {"VELK", kHuge, "f", "", false, ""},
            {"VELK", "C", kHuge, "", false, ""},
            {"VELK", kHuge, kHuge, "0", true, "VELK"},
            {kHuge, kHuge, "f", "0", true, kHuge.substr(0, 256)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.module.size()) + " " + std::to_string(c.class_name.size()) +
                     " " + std::to_string(c.func_name.size()));
        SetProperty(kBufferSizeKey, c.size);
        ClearRecords();
        const std::string header = c.class_name.empty() && c.func_name.empty()
                                           ? "<>"
                                           : "<" + c.class_name + "::" + c.func_name + ">";
        EXPECT_TRUE(IsLoggable(ERROR, c.module));
        {
            LogMessage record(ERROR, c.module, c.class_name, c.func_name);
            record.stream() << "body";
            EXPECT_EQ(record.ToString(), header + "body");
        }
        const std::vector<Record> records = Records();
        ASSERT_EQ(records.empty(), !c.written);
        for (const Record& r : records) {
            ASSERT_TRUE(r.tag == c.tag) << "a tag of " << r.tag.size() << " bytes";
            ASSERT_LE(r.text.size(), RecordLimit(c.tag));
        }
        if (c.written) {
            EXPECT_EQ(Joined(records), header + "body");
        }
    }
}

TEST_F(BadInputTest, DumpWithHugeFuncNameWritesOnlyWhatFits) {
    const std::vector<char> data{'a', '\x01'};
    const std::string header = "<" + kHuge + ">";
    const struct {
        const char* size;
        std::string written;
    } cases[] = {
            {"", ""},  // not even the header fits the buffer size
            // The length record arrives in pieces; no chunk can, its header fills a record.
            {"0", header + "dumplog length is 2"},
    };
    ShowDumpChunks();
    for (const auto& c : cases) {
        SetProperty(kBufferSizeKey, c.size);
        ClearRecords();
        DUMPLOG("VELK", kHuge, data.data(), 2);
        EXPECT_EQ(Joined(Records()), c.written) << c.size;
    }
}

TEST_F(BadInputTest, ModuleNamesWithNonAsciiBytesAreTagsButNoCategory) {
    // Each is a category name with one byte moved above 0x7F or changed by a locale's upper-casing;
    // only a to z are folded, so none is enabled.
    for (const std::string module : {"\xD6"
                                     "ELK",
                                     "VEL\xCB", "v\xC3\xA9lk", "\xC3\x96rne", "VELK\x80"}) {
        SetProperty(kCategoryKey, "-1");
        ClearRecords();
        LogMessage(INFO, module, "f").stream() << "info";
        LogMessage(ERROR, module, "f").stream() << "error";
        const std::vector<Record> records = Records();
        ASSERT_EQ(records.size(), 1u) << module;
        EXPECT_EQ(records[0].tag, module);
        EXPECT_EQ(records[0].text, "<f>error");
    }
}

class PropertyValueTest : public BadInputTest {
  protected:
    // One record for each switch a number decides: the threshold, the category mask, the size
    // (the ERROR record is longer than the default size), and a dump's chunk.
    TextList WriteProbes() {
        ClearRecords();
        LogMessage(DEBUG, "VELK", "f").stream() << "debug";
        LogMessage(INFO, "JSON-QUIB", "f").stream() << "json";
        LogMessage(ERROR, "QUIB", "f").stream() << kLong.substr(3);
        DUMPLOG("VELK", "f", dump_.data(), static_cast<int>(dump_.size()));
        return Texts();
    }

    const std::string kLong = "<f>" + std::string(1100, 'x');
    const std::vector<char> dump_{'a', '\x01'};
};

TEST_F(PropertyValueTest, ValuesThatAreNoNumberReadAsMissing) {
    SetProperty(kDumpOnKey, "1");
    const TextList defaults = WriteProbes();
    ASSERT_EQ(defaults, TextList{"<f>dumplog length is 2"});
    // Valid UTF-8 throughout: a device's property service refuses anything else.
    const char* const decimal_junk[] = {"abc",         "",           "+",          "-",
                                        " ",           "\xC3\xBF",   "%n",         "+-1",
                                        "99999999999", "2147483648", "-2147483649"};
    const char* const hex_junk[] = {"xyz",
                                    "",
                                    "+",
                                    "-",
                                    " ",
                                    "\xC3\xBF",
                                    "%n",
                                    "0x10000000000000000",
                                    "-0x8000000000000001"};
    for (const char* key : {kSeverityKey, kBufferSizeKey}) {
        for (const char* junk : decimal_junk) {
            SetProperty(key, junk);
            EXPECT_EQ(WriteProbes(), defaults) << key << " \"" << junk << '"';
        }
        SetProperty(key, "");
    }
    for (const char* junk : hex_junk) {
        SetProperty(kCategoryKey, junk);
        EXPECT_EQ(WriteProbes(), defaults) << '"' << junk << '"';
    }
}

TEST_F(PropertyValueTest, ExtremeNumbersAndMinusOneMasks) {
    const std::string length = "<f>dumplog length is 2";
    const struct {
        const char* key;
        const char* value;
        TextList texts;
    } cases[] = {
            {kSeverityKey, "-2147483648", {"<f>debug", length, "<f>a<SOH>"}},
            {kSeverityKey, "2147483647", {}},
            {kBufferSizeKey, "-1", {}},
            {kBufferSizeKey, "-2147483648", {}},
            {kBufferSizeKey, "2147483647", {kLong, length}},
            {kCategoryKey, "-1", {"<f>json", length}},
            {kCategoryKey, "-0x1", {"<f>json", length}},
            {kCategoryKey, "0xFFFFFFFFFFFFFFF", {"<f>json", length}},
            {kCategoryKey, "-0x8000000000000000", {}},  // bit 63 alone
    };
    SetProperty(kDumpOnKey, "1");
    for (const auto& c : cases) {
        SetProperty(c.key, c.value);
        EXPECT_EQ(WriteProbes(), c.texts) << c.key << " " << c.value;
        SetProperty(c.key, "");
    }
}

TEST_F(BadInputTest, FormatDirectivesAreWrittenAsTheyAre) {
    const std::string directives = "%n%s%d%x%%%";
    ShowDumpChunks();
    LogMessage(INFO, "VELK", directives, directives).stream() << directives;
    LogMessage(ERROR, directives, directives).stream() << directives;
    LogMessage(INFO, "VELK", directives, directives.data(), static_cast<int>(directives.size()));
    DUMPLOG("VELK", directives, directives.data(), static_cast<int>(directives.size()));
    const std::string header = "<" + directives + ">";
    const TextList expected = {
            "<" + directives + "::" + directives + ">" + directives,
            header + directives,
            header + directives,
            header + "dumplog length is " + std::to_string(directives.size()),
            header + directives,
    };
    EXPECT_EQ(Texts(), expected);
    EXPECT_EQ(Records()[1].tag, directives);
}

// A text of 2 GiB or more is too heavy to build here, so its length is checked where it is taken.
TEST(SaturatedLengthTest, TextsOf2GiBOrMoreCountAsTheLargestLengthInsteadOfWrapping) {
    constexpr size_t kMax = INT32_MAX;
    const std::pair<size_t, int> cases[] = {
            {0, 0},
            {1023, 1023},
            {kMax - 1, INT32_MAX - 1},
            {kMax, INT32_MAX},
            {kMax + 1, INT32_MAX},  // would wrap to the most negative length
            {SIZE_MAX, INT32_MAX},  // would wrap to -1
    };
    for (const auto& [length, counted] : cases)
        EXPECT_EQ(internal::SaturatedLength(length), counted) << length;
}

}  // namespace
