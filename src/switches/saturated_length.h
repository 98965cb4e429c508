// The length a record's text counts as in the size check. Internal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace vendor::korvane::zunt_tools::log::internal {

// A text of 2 GiB or more must still fail a size limit rather than wrap negative and pass it.
constexpr int SaturatedLength(size_t length) {
    constexpr size_t kMax = std::numeric_limits<int32_t>::max();
    return static_cast<int>(length < kMax ? length : kMax);
}

}  // namespace vendor::korvane::zunt_tools::log::internal
