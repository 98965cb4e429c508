#include "switch_questions.h"

#include <cstdint>
#include <string_view>

#include "switch_reader.h"
#include "switches.h"

namespace vendor::korvane::zunt_tools::log::internal {
namespace {

// Records keep a switch's value as 32 bits...
template <const auto& kSwitch>
constexpr uint32_t ValueAnswer(std::string_view text) {
    return static_cast<uint32_t>(kSwitch.ValueOf(text));
}

// ...and of the mask, which does not fit beside a serial, what they need: the modules it enables.
constexpr uint32_t CategoriesAnswer(std::string_view text) {
    return EnabledCategories(kCategoryMask.ValueOf(text));
}

// Worked out at compile time, or the build fails, so that the reader below is constant-initialised.
template <const auto& kSwitch, SwitchReader::AnswerOf kAnswerOf>
constexpr uint32_t kDefaultAnswer = kAnswerOf(kSwitch.default_text);

// The reader of a switch, made from its row alone: a question names it, and it is there.
template <const auto& kSwitch, SwitchReader::AnswerOf kAnswerOf = ValueAnswer<kSwitch>>
SwitchReader reader{kSwitch.key, kSwitch.default_text, kAnswerOf,
                    kDefaultAnswer<kSwitch, kAnswerOf>};

}  // namespace

bool IsLoggingOn() {
    return reader<kLoggingOn>.Read() != 0;
}

bool IsModuleEnabled(const std::string& module) {
    return IsModuleEnabled(module.data(), module.size());
}

bool IsModuleEnabled(const char* module, size_t size) {
    return IsEnabledIn(reader<kCategoryMask, CategoriesAnswer>.Read(), module, size);
}

bool IsSevereEnough(int severity) {
    return PassesThreshold(severity, static_cast<int32_t>(reader<kThreshold>.Read()));
}

int BufferSize() {
    return static_cast<int32_t>(reader<kBufferSize>.Read());
}

bool IsShortEnough(size_t length) {
    return FitsBufferSize(length, BufferSize());
}

bool AreDumpsOnFor(const std::string& module) {
    if (reader<kDumpsOn>.Read() == 0) return false;
    return IsModuleEnabled(module);
}

// The order of the reads is kept exactly as records have always made them: each read is
// observable, as the moment an operator's change takes effect for the record.
SwitchVerdict AskSwitches(int severity, const std::string& module) {
    return AskSwitches(severity, module.data(), module.size());
}

SwitchVerdict AskSwitches(int severity, const char* module, size_t size) {
    const bool on = IsLoggingOn();
    if (on && severity >= kError) return SwitchVerdict::kPass;
    if (!IsModuleEnabled(module, size)) {
        return on ? SwitchVerdict::kModuleNotEnabled : SwitchVerdict::kLoggingOff;
    }
    if (!IsLoggingOn()) return SwitchVerdict::kLoggingOff;
    if (!IsSevereEnough(severity)) return SwitchVerdict::kBelowThreshold;
    return SwitchVerdict::kPass;
}

}  // namespace vendor::korvane::zunt_tools::log::internal
