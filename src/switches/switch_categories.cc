// The category table's lookup by module name: FindCategory and IsEnabledIn of switches.h.
#include <array>

#include "../common/bytewise.h"
#include "switches.h"

namespace vendor::korvane::zunt_tools::log::internal {
namespace {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "names are read as little-endian words");

// Every record looks its module up, so names are compared as numbers rather than byte by byte: a
// name of 4 to 16 bytes is its length and its first and last 4 bytes, or 8 when it is 8 bytes or
// longer. The two words overlap where the name is short, and together they cover it.
struct NameKey {
    size_t size;
    uint64_t head;
    uint64_t tail;
};

constexpr size_t kShortestKeyed = 4;
constexpr size_t kLongestKeyed = 16;

constexpr size_t WordSize(size_t size) {
    return size < 8 ? 4 : 8;
}

constexpr uint64_t WordOf(std::string_view bytes) {
    uint64_t word = 0;
    for (size_t i = 0; i < bytes.size(); ++i) word |= uint64_t{uint8_t(bytes[i])} << (8 * i);
    return word;
}

constexpr bool AreAllNamesKeyed() {
    for (const Category& category : kCategoryTable) {
        if (category.name.size() < kShortestKeyed || category.name.size() > kLongestKeyed) {
            return false;
        }
    }
    return true;
}
static_assert(AreAllNamesKeyed(), "a module name is too short or too long to be keyed");

constexpr auto TableKeys() {
    std::array<NameKey, std::size(kCategoryTable)> keys{};
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string_view name = kCategoryTable[i].name;
        const size_t word = WordSize(name.size());
        keys[i] = {name.size(), WordOf(name.substr(0, word)),
                   WordOf(name.substr(name.size() - word))};
    }
    return keys;
}

constexpr auto kTableKeys = TableKeys();

// Each byte from a to z made upper case, all others kept as they are, those from 0x80 up too.
uint64_t UpperCased(uint64_t word) {
    const uint64_t low7 = word & kLowBits;
    const uint64_t from_a = low7 + (0x80 - 'a') * kOnes;
    const uint64_t after_z = low7 + (0x80 - 'z' - 1) * kOnes;
    const uint64_t lower = from_a & ~after_z & ~word & kHighBits;
    return word - (lower >> 2);
}

}  // namespace

const Category* FindCategory(const std::string& module) {
    return FindCategory(module.data(), module.size());
}

const Category* FindCategory(const char* name, size_t size) {
    if (size < kShortestKeyed || size > kLongestKeyed) return nullptr;
    const bool long_name = WordSize(size) == 8;
    const uint64_t head = UpperCased(long_name ? WordAt<uint64_t>(name) : WordAt<uint32_t>(name));
    const uint64_t tail = UpperCased(long_name ? WordAt<uint64_t>(name + size - 8)
                                               : WordAt<uint32_t>(name + size - 4));
    for (size_t i = 0; i < kTableKeys.size(); ++i) {
        const NameKey& key = kTableKeys[i];
        if (key.size == size && key.head == head && key.tail == tail) return &kCategoryTable[i];
    }
    return nullptr;
}

bool IsEnabledIn(CategorySet enabled, const std::string& module) {
    return IsEnabledIn(enabled, module.data(), module.size());
}

bool IsEnabledIn(CategorySet enabled, const char* module, size_t size) {
    const Category* category = FindCategory(module, size);
    return category != nullptr && IsIn(enabled, *category);
}

}  // namespace vendor::korvane::zunt_tools::log::internal
