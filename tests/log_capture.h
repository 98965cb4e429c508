// Test support: records reach the capture, properties start unset in every test.
#pragma once

#include <android-base/properties.h>
#include <android/log.h>
#include <gtest/gtest.h>
#include <plumix_log_testing.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plumix_test {

namespace log_testing = vendor::korvane::zunt_tools::log::testing;

using Record = log_testing::CapturedRecord;
using TextList = std::vector<std::string>;

// The capture of the test running now, which LogTest keeps for the test's life.
inline std::optional<log_testing::ScopedLogCapture>& Capture() {
    static auto* capture = new std::optional<log_testing::ScopedLogCapture>;
    return *capture;
}

inline std::vector<Record> Records() {
    return Capture()->Records();
}

inline void ClearRecords() {
    Capture()->Clear();
}

inline TextList Texts() {
    TextList texts;
    for (const Record& r : Records()) texts.push_back(r.text);
    return texts;
}

inline constexpr char kOnKey[] = "vendor.plumix.log.on";
inline constexpr char kSeverityKey[] = "vendor.plumix.log.severity";
inline constexpr char kBufferSizeKey[] = "vendor.plumix.log.buffer.size";
inline constexpr char kCategoryKey[] = "vendor.plumix.log.catgory";
inline constexpr char kDumpOnKey[] = "vendor.plumix.dumplog.on";
inline const char* const kPropertyKeys[] = {kOnKey, kSeverityKey, kBufferSizeKey, kCategoryKey,
                                            kDumpOnKey};

// The module names the category mask knows and the bit of each, kept apart from the library's
// table.
struct Category {
    const char* name;
    int bit;
};
inline constexpr Category kCategories[] = {
        {"VELK", 0},    {"ORNE", 4},       {"QUIB", 8},       {"FENRO", 12},      {"HULM", 16},
        {"PLUMIX", 20}, {"JSON-VELK", 32}, {"JSON-ORNE", 36}, {"JSON-FENRO", 44}, {"JSON-QUIB", 48},
};

// The priority each severity 0..6 is written with.
inline constexpr int kSeverityPriorities[] = {
        ANDROID_LOG_VERBOSE, ANDROID_LOG_DEBUG, ANDROID_LOG_INFO, ANDROID_LOG_WARN,
        ANDROID_LOG_ERROR,   ANDROID_LOG_ERROR, ANDROID_LOG_FATAL};

// The text one log record with this tag, at most 256 bytes, carries whole: the log daemon keeps a
// priority byte, the tag and its NUL, and the text and its NUL within 4068 bytes.
inline size_t RecordLimit(const std::string& tag) {
    return 4068 - 3 - tag.size();
}

// The texts of records in order, as one.
inline std::string Joined(const std::vector<Record>& records) {
    std::string joined;
    for (const Record& r : records) joined += r.text;
    return joined;
}

// Allocated to the exact length, so that a read past the end shows under AddressSanitizer.
inline std::vector<char> Exact(const std::string& bytes) {
    return {bytes.begin(), bytes.end()};
}

// On a host an empty value reads as missing, so this puts every default back in force.
inline void ResetProperties() {
    for (const char* key : kPropertyKeys) android::base::SetProperty(key, "");
}

inline void SetProperty(const std::string& key, const std::string& value) {
    ASSERT_TRUE(android::base::SetProperty(key, value)) << key;
}

// Every test starts with the defaults and an empty capture.
class LogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Capture().emplace();
        ResetProperties();
    }
    void TearDown() override {
        ResetProperties();
        Capture().reset();
    }

    // Dumps on and every severity admitted, so that chunk records show.
    void ShowDumpChunks() {
        SetProperty(kDumpOnKey, "1");
        SetProperty(kSeverityKey, "0");
    }
};

}  // namespace plumix_test
