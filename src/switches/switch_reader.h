// One switch as records read it. Internal.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "property_area.h"

namespace vendor::korvane::zunt_tools::log::internal {

// A switch's answer to records, 32 bits at most, worked out from its property's text, as that
// text stands at the moment of the read. Where the process has the property area's serial
// functions, as the platform's own log library reads its tags: a property's text is read and
// worked out again only when its serial changed, and a missing property is looked up again only
// when the area's serial changed since the last lookup; nothing is locked or allocated when
// nothing changed. Elsewhere every read asks libbase.
//
// Constant-initialised, from constant data, with nothing to destroy: a reader is in place before
// any code of the process runs, so that a record from .preinit_array or from a library initialised
// before this one reads it as any other does, and records built while the process exits still
// find it.
class SwitchReader {
  public:
    using AnswerOf = uint32_t (*)(std::string_view text);

    // default_answer is answer_of(default_text), which the caller works out at compile time.
    constexpr SwitchReader(const char* key, const char* default_text, AnswerOf answer_of,
                           uint32_t default_answer)
        : key_(key),
          default_text_(default_text),
          answer_of_(answer_of),
          default_answer_(default_answer) {}
    SwitchReader(const SwitchReader&) = delete;
    SwitchReader& operator=(const SwitchReader&) = delete;

    uint32_t Read() {
        // Asked at every read rather than remembered: the loader settles the answer before any
        // code of the process runs, and on bionic it is known at compile time.
        if (!HasPropertyArea()) return ReadThroughLibbase();
        const prop_info* info = info_.load(std::memory_order_acquire);
        if (info == nullptr) {
            // Taken before any lookup: a property added after this is either found by the lookup
            // or changes the serial that the next read compares.
            const uint64_t since = MissingSince(__system_property_area_serial());
            if (missing_since_.load(std::memory_order_relaxed) == since) return default_answer_;
            return LookUp(since);
        }
        // Every answer was worked out from the value read under its serial, so an equal serial
        // means an answer for the value in force now.
        const uint64_t cached = cached_.load(std::memory_order_relaxed);
        if (static_cast<uint32_t>(cached >> 32) != __system_property_serial(info)) {
            return Refresh(info);
        }
        return static_cast<uint32_t>(cached);
    }

  private:
    static uint64_t MissingSince(uint32_t area_serial) { return 1 + 2 * uint64_t{area_serial}; }

    // What libbase takes: made on the first read through it, published whole, and never freed.
    // No lock guards it, so no fork can leave one held; a thread that loses the race to publish
    // frees its own.
    struct LibbaseArguments {
        std::string key;
        std::string default_text;
    };

    // Apart from the read, so that the read itself stays a load and a compare.
    const LibbaseArguments& PublishArguments();
    uint32_t ReadThroughLibbase();
    uint32_t LookUp(uint64_t since);
    uint32_t Refresh(const prop_info* info);

    const char* const key_;
    const char* const default_text_;
    const AnswerOf answer_of_;
    const uint32_t default_answer_;
    std::atomic<const LibbaseArguments*> libbase_arguments_{nullptr};
    // Found once and kept: the area never removes a property.
    std::atomic<const prop_info*> info_{nullptr};
    // The serial a value was read under, above its answer: one word, so that no thread sees an
    // answer beside another value's serial, however many threads refresh at once.
    std::atomic<uint64_t> cached_{0};
    // MissingSince the area's serial when a lookup last found no property; 0 before any lookup.
    std::atomic<uint64_t> missing_since_{0};
};

}  // namespace vendor::korvane::zunt_tools::log::internal
