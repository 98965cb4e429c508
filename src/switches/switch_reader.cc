#include "switch_reader.h"

#include <android-base/properties.h>

namespace vendor::korvane::zunt_tools::log::internal {
namespace {

// Property values are a few characters long: compared in place rather than through a library
// call, which costs more than the comparison itself on every record.
bool Equals(const std::string& value, const std::string& text) {
    if (value.size() != text.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (value[i] != text[i]) return false;
    }
    return true;
}

}  // namespace

const SwitchReader::LibbaseArguments& SwitchReader::PublishArguments() {
    const auto* made = new LibbaseArguments{key_, default_text_};
    const LibbaseArguments* published = nullptr;
    if (libbase_arguments_.compare_exchange_strong(published, made, std::memory_order_acq_rel,
                                                   std::memory_order_acquire)) {
        return *made;
    }
    delete made;
    return *published;
}

uint32_t SwitchReader::ReadThroughLibbase() {
    const LibbaseArguments* published = libbase_arguments_.load(std::memory_order_acquire);
    const LibbaseArguments& arguments = published != nullptr ? *published : PublishArguments();
    const std::string text = android::base::GetProperty(arguments.key, arguments.default_text);
    // Most reads meet the default, whose answer is known.
    if (Equals(text, arguments.default_text)) return default_answer_;
    return answer_of_(text);
}

uint32_t SwitchReader::LookUp(uint64_t since) {
    const prop_info* info = __system_property_find(key_);
    if (info == nullptr) {
        missing_since_.store(since, std::memory_order_relaxed);
        return default_answer_;
    }
    const uint32_t answer = Refresh(info);
    // Published after its first answer, so that whoever finds it here finds an answer beside it.
    info_.store(info, std::memory_order_release);
    return answer;
}

uint32_t SwitchReader::Refresh(const prop_info* info) {
    struct Reading {
        AnswerOf answer_of;
        uint32_t answer;
        uint32_t serial;
    } reading{answer_of_, 0, 0};
    // The value comes with the serial it was read under, even while a write is under way (an odd,
    // "dirty" serial, which no finished write leaves): whatever changes after it shows as another
    // serial.
    __system_property_read_callback(
            info,
            [](void* cookie, const char*, const char* value, uint32_t serial) {
                auto* reading = static_cast<Reading*>(cookie);
                reading->answer = reading->answer_of(value);
                reading->serial = serial;
            },
            &reading);
    cached_.store(uint64_t{reading.serial} << 32 | reading.answer, std::memory_order_relaxed);
    return reading.answer;
}

}  // namespace vendor::korvane::zunt_tools::log::internal
