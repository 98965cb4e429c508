// Built against an installed tree only: records through the macros and LogMessage, whose text
// must come back intact.
#include <plumix_log.h>

#include <cstdint>
#include <vector>

static_assert(__cplusplus >= 201703L, "linking plumix_log raises a consumer to C++17");

namespace plog = vendor::korvane::zunt_tools::log;

int main() {
    PLUMIX_LOG(INFO, "VELK") << "installed";
    const std::vector<uint8_t> frame = {'A', 0x01};
    PLUMIX_DUMP("VELK", frame, frame.size());
    plog::LogMessage message(plog::INFO, "VELK", "Consumer", "main");
    message.stream() << "installed";
    return message.ToString() == "<Consumer::main>installed" ? 0 : 1;
}
