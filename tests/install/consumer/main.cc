// Built against an installed tree only: one record, whose text must come back intact.
#include <plumix_log.h>

int main() {
    using namespace vendor::korvane::zunt_tools;
    log::LogMessage message(log::INFO, "VELK", "Consumer", "main");
    message.stream() << "installed";
    return message.ToString() == "<Consumer::main>installed" ? 0 : 1;
}
