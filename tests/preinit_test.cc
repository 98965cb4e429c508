// Records from .preinit_array, before any initialiser of the process has run, the library's own
// and those of the libraries it links: what an ifunc resolver or a library initialised before
// libplumix_log meets. The switches are read through a property area, as on a device, whose own
// is there from the start; a host's libbase keeps properties in a map its initialiser makes.
#include <android/log.h>
#include <plumix_log.h>

#include <cstdint>
#include <cstdio>

#ifndef __BIONIC__
// An empty area: every switch reads as its default.
extern "C" {
struct prop_info;
const prop_info* __system_property_find(const char*) {
    return nullptr;
}
uint32_t __system_property_serial(const prop_info*) {
    return 0;
}
uint32_t __system_property_area_serial() {
    return 0;
}
void __system_property_read_callback(const prop_info*,
                                     void (*)(void*, const char*, const char*, uint32_t), void*) {}
}
#endif

namespace {

using namespace vendor::korvane::zunt_tools::log;

bool loggable = false;
int records = 0;

// Either form of liblog's logger: a device's takes one message, Debian's host build two arguments.
template <typename... Arguments>
void CountRecord(Arguments...) {
    ++records;
}

void LogBeforeEveryInitialiser(int, char**, char**) {
    __android_log_set_logger(CountRecord);
    loggable = IsLoggable(INFO, "VELK");
    PLUMIX_LOG(INFO, "VELK") << "before every initialiser";
    DUMPLOG("VELK", "early", "dump", 4);
}

[[gnu::section(".preinit_array"), gnu::used]] void (*log_early)(int, char**,
                                                                char**) = LogBeforeEveryInitialiser;

}  // namespace

int main() {
    // The record, and the dump's length record: dumps are off by default.
    if (loggable && records == 2) return 0;
    std::fprintf(stderr, "before every initialiser: loggable %d, %d records of 2\n", loggable,
                 records);
    return 1;
}
