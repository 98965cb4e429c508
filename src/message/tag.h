// The tag a record is written with. Internal, and header-only, so that plumix-log names the tag
// that records carry.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace vendor::korvane::zunt_tools::log::internal {

// The longest tag written, in bytes. On a device liblog puts "persist.log.tag." and the tag on
// the writing thread's stack for every record it is asked about, to look up the tag's own filter,
// and logd keeps the tag beside the text in each record's 4068-byte payload. At 256 bytes the
// first stays small beside the 4 KiB the write itself puts on that stack, and the second leaves
// 3809 bytes of every record for text.
constexpr size_t kMaxTagLength = 256;

// A UTF-8 sequence is a first byte and at most three continuation bytes.
constexpr size_t kMostContinuationBytes = 3;

inline bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Where to cut text that is longer than limit: at limit, moved back so that no UTF-8 sequence is
// cut. Not UTF-8 around the limit, any cut is as good as another, so then at limit.
inline size_t Utf8CutBefore(std::string_view text, size_t limit) {
    for (size_t cut = limit; cut > 0 && limit - cut <= kMostContinuationBytes; --cut) {
        if (!IsContinuationByte(text[cut])) return cut;
    }
    return limit;
}

// The module name up to its first NUL, as liblog would take it, cut to kMaxTagLength bytes where
// it is longer; NUL-terminated either way. The switches still decide on the whole module name.
class WrittenTag {
  public:
    explicit WrittenTag(const std::string& module)
        : tag_(module.c_str()), size_(std::strlen(tag_)) {
        if (size_ <= kMaxTagLength) return;
        size_ = Utf8CutBefore(std::string_view(tag_, size_), kMaxTagLength);
        std::memcpy(cut_, tag_, size_);
        cut_[size_] = '\0';
        tag_ = cut_;
    }
    // The same for size bytes at module, which need not end in a NUL: copied, to end in one.
    WrittenTag(const char* module, size_t size) : tag_(cut_) {
        std::string_view name(module, size);
        name = name.substr(0, name.find('\0'));
        size_ = name.size() <= kMaxTagLength ? name.size() : Utf8CutBefore(name, kMaxTagLength);
        *std::copy_n(name.data(), size_, cut_) = '\0';
    }
    WrittenTag(const WrittenTag&) = delete;
    WrittenTag& operator=(const WrittenTag&) = delete;

    const char* c_str() const { return tag_; }
    size_t size() const { return size_; }

  private:
    const char* tag_;
    size_t size_;
    char cut_[kMaxTagLength + 1];
};

}  // namespace vendor::korvane::zunt_tools::log::internal
