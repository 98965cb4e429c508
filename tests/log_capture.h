// Test support: records reach a capturing logger, properties start unset in every test.
#pragma once

#include <android-base/properties.h>
#include <android/log.h>
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace plumix_test {

struct Record {
    int priority;
    std::string tag;
    std::string text;
};

inline std::mutex& RecordsLock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

inline std::vector<Record>& RecordsUnlocked() {
    static auto* records = new std::vector<Record>;
    return *records;
}

inline void CaptureRecord(const __android_logger_data* data, const char* message) {
    std::lock_guard<std::mutex> guard(RecordsLock());
    RecordsUnlocked().push_back({data->priority, data->tag ? data->tag : "", message});
}

inline std::vector<Record> Records() {
    std::lock_guard<std::mutex> guard(RecordsLock());
    return RecordsUnlocked();
}

inline std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const Record& r : Records()) texts.push_back(r.text);
    return texts;
}

inline void ClearRecords() {
    std::lock_guard<std::mutex> guard(RecordsLock());
    RecordsUnlocked().clear();
}

inline const char* const kPropertyKeys[] = {
        "vendor.plumix.log.on",      "vendor.plumix.log.severity", "vendor.plumix.log.buffer.size",
        "vendor.plumix.log.catgory", "vendor.plumix.dumplog.on",
};

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
};

}  // namespace plumix_test
