#include "switch_questions.h"

#include <cstdint>
#include <string_view>

#include "switch_reader.h"
#include "switches.h"

namespace vendor::korvane::zunt_tools::log::internal {
namespace {

// Records keep a switch's value as 32 bits...
template <const auto& kSwitch>
uint32_t ValueAnswer(std::string_view text) {
    return static_cast<uint32_t>(kSwitch.ValueOf(text));
}

// ...and of the mask, which does not fit beside a serial, what they need: the modules it enables.
uint32_t CategoriesAnswer(std::string_view text) {
    return EnabledCategories(kCategoryMask.ValueOf(text));
}

struct Readers {
    SwitchReader logging_on{kLoggingOn.key, kLoggingOn.default_text, ValueAnswer<kLoggingOn>};
    SwitchReader threshold{kThreshold.key, kThreshold.default_text, ValueAnswer<kThreshold>};
    SwitchReader categories{kCategoryMask.key, kCategoryMask.default_text, CategoriesAnswer};
    SwitchReader buffer_size{kBufferSize.key, kBufferSize.default_text, ValueAnswer<kBufferSize>};
    SwitchReader dumps_on{kDumpsOn.key, kDumpsOn.default_text, ValueAnswer<kDumpsOn>};
};

// Built as the library loads rather than at first use, so that no fork can catch them half-built
// and leave the child unable to log; never destroyed, for records built while the process exits.
Readers* const readers = new Readers;

}  // namespace

bool IsLoggingOn() {
    return readers->logging_on.Read() != 0;
}

bool IsModuleEnabled(const std::string& module) {
    return IsModuleEnabled(module.data(), module.size());
}

bool IsModuleEnabled(const char* module, size_t size) {
    return IsEnabledIn(readers->categories.Read(), module, size);
}

bool IsSevereEnough(int severity) {
    return IsSevereEnough(severity, static_cast<int32_t>(readers->threshold.Read()));
}

int BufferSize() {
    return static_cast<int32_t>(readers->buffer_size.Read());
}

bool IsShortEnough(int length) {
    return IsShortEnough(length, BufferSize());
}

bool AreDumpsOnFor(const std::string& module) {
    if (readers->dumps_on.Read() == 0) return false;
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
