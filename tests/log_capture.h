// Test support: records reach a capturing logger, properties start unset in every test.
#pragma once

#include <android-base/properties.h>
#include <android/log.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace plumix_test {

struct Record {
    int priority;
    std::string tag;
    std::string text;
};

using TextList = std::vector<std::string>;

inline std::mutex& RecordsLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

inline std::vector<Record>& RecordsUnlocked() {
    static auto* records = new std::vector<Record>;
    return *records;
}

inline void AddRecord(int priority, const char* tag, const char* text) {
    std::lock_guard<std::mutex> guard(RecordsLock());
    RecordsUnlocked().push_back({priority, tag ? tag : "", text});
}

// A device's liblog hands a logger one message struct; Debian's host snapshot of liblog hands it
// the record's data and text apart.
#ifdef __ANDROID__
inline void CaptureRecord(const __android_log_message* message) {
    AddRecord(message->priority, message->tag, message->message);
}
#else
inline void CaptureRecord(const __android_logger_data* data, const char* message) {
    AddRecord(data->priority, data->tag, message);
}
#endif

inline std::vector<Record> Records() {
    std::lock_guard<std::mutex> guard(RecordsLock());
    return RecordsUnlocked();
}

inline TextList Texts() {
    TextList texts;
    for (const Record& r : Records()) texts.push_back(r.text);
    return texts;
}

inline void ClearRecords() {
    std::lock_guard<std::mutex> guard(RecordsLock());
    RecordsUnlocked().clear();
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

// The text one log record carries whole: the log daemon keeps a priority byte, the tag and its
// NUL, and the text and its NUL within 4068 bytes. Beside a tag that leaves no room, a text goes
// whole in one record.
inline size_t RecordLimit(const std::string& tag) {
    constexpr size_t kRoom = 4068 - 3;
    return tag.size() < kRoom ? kRoom - tag.size() : SIZE_MAX;
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
        __android_log_set_logger(CaptureRecord);
        // A host liblog hides records below INFO by default; the library's gate alone decides.
        __android_log_set_minimum_priority(ANDROID_LOG_VERBOSE);
        ResetProperties();
        ClearRecords();
    }
    void TearDown() override { ResetProperties(); }

    // Dumps on and every severity admitted, so that chunk records show.
    void ShowDumpChunks() {
        SetProperty(kDumpOnKey, "1");
        SetProperty(kSeverityKey, "0");
    }
};

}  // namespace plumix_test
