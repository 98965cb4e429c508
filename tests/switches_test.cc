// The switches and the number reading behind them, asked directly.
#include <cctype>
#include <climits>
#include <cstdint>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include "log_capture.h"
#include "switch_number.h"
#include "switch_questions.h"

namespace {

using namespace vendor::korvane::zunt_tools::log;
using namespace vendor::korvane::zunt_tools::log::internal;
using namespace plumix_test;

using Modules = std::set<std::string>;
const Modules kDefaultModules = {"VELK", "ORNE", "FENRO"};

class SwitchesTest : public LogTest {
  protected:
    Modules EnabledModules() {
        Modules enabled;
        for (const auto& [name, bit] : kCategories) {
            if (IsModuleEnabled(name)) enabled.insert(name);
        }
        return enabled;
    }
};

TEST_F(SwitchesTest, OnlyTheTextOneSwitchesLoggingOn) {
    const std::pair<const char*, bool> cases[] = {{"", true},      {"1", true},   {"0", false},
                                                  {"true", false}, {"11", false}, {" 1", false},
                                                  {"1 ", false}};
    for (const auto& [value, on] : cases) {
        SetProperty(kOnKey, value);
        EXPECT_EQ(IsLoggingOn(), on) << '"' << value << '"';
    }
}

TEST_F(SwitchesTest, ThresholdAdmitsItsOwnSeverityAndAbove) {
    const std::pair<const char*, int> cases[] = {{"", 2}, {"0", 0}, {"7", 7}, {"-1", -1}, {"4", 4}};
    for (const auto& [value, lowest] : cases) {
        SetProperty(kSeverityKey, value);
        for (int severity = -1; severity <= 7; ++severity) {
            EXPECT_EQ(IsSevereEnough(severity), severity >= lowest)
                    << "threshold " << value << " severity " << severity;
        }
    }
}

TEST_F(SwitchesTest, SizeAdmitsLengthsStrictlyBelowItAndZeroIsNoLimit) {
    const std::tuple<const char*, int, int, bool> cases[] = {
            {"", 1024, 1023, true}, {"", 1024, 1024, false}, {"10", 10, 0, true},
            {"10", 10, 9, true},    {"10", 10, 10, false},   {"10", 10, 11, false},
            {"0", 0, 0, true},      {"0", 0, INT_MAX, true}, {"-5", -5, 0, false}};
    for (const auto& [value, size, length, admitted] : cases) {
        SetProperty(kBufferSizeKey, value);
        EXPECT_EQ(BufferSize(), size) << value;
        EXPECT_EQ(IsShortEnough(length), admitted) << value << " length " << length;
    }
}

TEST_F(SwitchesTest, EachMaskBitEnablesOnlyItsModuleInAnyCase) {
    for (int bit = 0; bit < 64; ++bit) {
        std::ostringstream mask;
        if (bit == 63) mask << "-";  // the sign bit, written as the signed value it is
        mask << "0x" << std::hex << (1ULL << bit);
        SetProperty(kCategoryKey, mask.str());
        for (const auto& [name, name_bit] : kCategories) {
            std::string lower = name;
            for (char& c : lower) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            const std::string capitalised = name[0] + lower.substr(1);
            for (const std::string& spelling : {std::string(name), lower, capitalised}) {
                EXPECT_EQ(IsModuleEnabled(spelling), name_bit == bit)
                        << spelling << " with mask " << mask.str();
            }
        }
    }
}

TEST_F(SwitchesTest, MaskFormsAndUnknownNames) {
    Modules all;
    for (const auto& [name, bit] : kCategories) all.insert(name);
    // Only the lowest bit of a digit counts.
    const std::pair<const char*, Modules> cases[] = {{"", kDefaultModules},
                                                     {"0x01011", kDefaultModules},
                                                     {"1011", kDefaultModules},
                                                     {"0X01011", kDefaultModules},
                                                     {"-1", all},
                                                     {"0x2", {}},
                                                     {"0x10000000000", {}},
                                                     {"0x3", {"VELK"}},
                                                     {"0xfe", {"ORNE"}}};
    for (const auto& [mask, enabled] : cases) {
        SetProperty(kCategoryKey, mask);
        EXPECT_EQ(EnabledModules(), enabled) << mask;
    }
    SetProperty(kCategoryKey, "-1");
    // Near misses: a byte more or fewer, or one byte changed at the end, the start or inside.
    for (const char* unknown : {"", "VELKX", "JSON-QUIBS", "XVELK", "VEL", "JSON", "VELK ",
                                "VEL\xCB", "JSON_VELK", "PLU_IX", "FENR0", "aRNE"}) {
        EXPECT_FALSE(IsModuleEnabled(unknown)) << '"' << unknown << '"';
    }
}

TEST_F(SwitchesTest, DumpSwitchFollowsModuleUnlessZero) {
    const std::pair<const char*, bool> cases[] = {{"", false},   {"0", false}, {"1", true},
                                                  {"yes", true}, {"00", true}, {" 0", true}};
    for (const auto& [value, on] : cases) {
        SetProperty(kDumpOnKey, value);
        for (const char* module : {"VELK", "velk", "QUIB", "NONE"}) {
            EXPECT_EQ(AreDumpsOnFor(module), on && IsModuleEnabled(module))
                    << value << " " << module;
        }
    }
}

TEST_F(SwitchesTest, MalformedNumbersReadAsMissing) {
    for (const char* bad : {"abc", "", "+", "-", " ", "99999999999", "-99999999999"}) {
        SetProperty(kSeverityKey, bad);
        SetProperty(kBufferSizeKey, bad);
        EXPECT_EQ(BufferSize(), 1024) << '"' << bad << '"';
        EXPECT_FALSE(IsSevereEnough(1)) << '"' << bad << '"';
        EXPECT_TRUE(IsSevereEnough(2)) << '"' << bad << '"';
    }
    for (const char* bad : {"0x10000000000000000", "-0x8000000000000001", "xyz", "-"}) {
        SetProperty(kCategoryKey, bad);
        EXPECT_EQ(EnabledModules(), kDefaultModules) << bad;
    }
}

TEST(SwitchNumberTest, DecimalReading) {
    const std::pair<const char*, int32_t> numbers[] = {
            {"12", 12},  {"12abc", 12}, {" \t\n\v\f\r7", 7},       {"+5", 5},
            {" -5", -5}, {"0x10", 0},   {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}};
    for (const auto& [text, value] : numbers) EXPECT_EQ(ParseDecimal32(text), value) << text;
    for (const char* text :
         {"2147483648", "-2147483649", "99999999999", "abc", "", "+", "-", " ", "+-1", "- 1"}) {
        EXPECT_EQ(ParseDecimal32(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(SwitchNumberTest, HexadecimalReading) {
    // "0x" with no digit after it reads as the number 0 followed by a rest.
    const std::pair<const char*, int64_t> numbers[] = {{"0x01011", 0x1011},
                                                       {"1011", 0x1011},
                                                       {"0X1f", 0x1f},
                                                       {"aBc", 0xabc},
                                                       {" \t-1", -1},
                                                       {"-0x10", -16},
                                                       {"+0X10", 16},
                                                       {"12xyz", 0x12},
                                                       {"0x", 0},
                                                       {"0x7fffffffffffffff", INT64_MAX},
                                                       {"-0x8000000000000000", INT64_MIN}};
    for (const auto& [text, value] : numbers) EXPECT_EQ(ParseHex64(text), value) << text;
    for (const char* text : {"0x8000000000000000", "-0x8000000000000001", "0x10000000000000000", "",
                             "+", "-", " ", "xyz", "x10"}) {
        EXPECT_EQ(ParseHex64(text), std::nullopt) << '"' << text << '"';
    }
}

}  // namespace
