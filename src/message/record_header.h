// The header a record's text begins with. Internal, and header-only, so that plumix-log builds a
// record's text by the same rule without a record, which would ask the switches.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

namespace vendor::korvane::zunt_tools::log::internal {

// "<" className "::" funcName ">", the "className::" part only when className is not empty. On
// the stack when short, which is the rule, so that a record can put it together before it takes
// its lock.
class RecordHeader {
  public:
    RecordHeader(const std::string& className, const std::string& funcName)
        : size_(className.size() + (className.empty() ? 0 : 2) + funcName.size() + 2) {
        char* out = small_;
        if (size_ > sizeof(small_)) {
            large_.resize(size_);
            out = &large_[0];
        }
        data_ = out;
        *out++ = '<';
        out = std::copy(className.begin(), className.end(), out);
        if (!className.empty()) out = std::copy_n("::", 2, out);
        out = std::copy(funcName.begin(), funcName.end(), out);
        *out = '>';
    }
    RecordHeader(const RecordHeader&) = delete;
    RecordHeader& operator=(const RecordHeader&) = delete;

    const char* data() const { return data_; }
    size_t size() const { return size_; }

  private:
    char small_[64];
    std::string large_;
    const char* data_;
    size_t size_;
};

}  // namespace vendor::korvane::zunt_tools::log::internal
