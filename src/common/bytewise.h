// Bytes handled a word at a time, without carries between them: what rendering and the category
// search share. Internal.
#pragma once

#include <cstdint>
#include <cstring>

namespace vendor::korvane::zunt_tools::log::internal {

// A byte's value times kOnes is that value in every byte of a word.
constexpr uint64_t kOnes = 0x0101010101010101;
constexpr uint64_t kHighBits = 0x80 * kOnes;
constexpr uint64_t kLowBits = 0x7F * kOnes;

// The Word (4 or 8 bytes) at bytes, in the machine's order.
template <typename Word = uint64_t>
uint64_t WordAt(const void* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof(word));
    return word;
}

}  // namespace vendor::korvane::zunt_tools::log::internal
