// Compiled, never run: a caller's file as AOSP code writes it, with libbase's names in scope and
// the strictest warnings (-Wall -Wextra -Wshadow -Werror, no exceptions), for g++ and clang++.
#include <android-base/logging.h>
#include <plumix_log.h>

#include <cstdint>
#include <vector>

using namespace android::base;

void LogsBesideLibbase(int id, const std::vector<uint8_t>& frame) {
    LOG(INFO) << "libbase " << id;
    PLUMIX_LOG(INFO, "VELK") << "plumix " << id;
    PLUMIX_LOG_CLASS(WARNING, "VELK", "Hal") << id;
    PLUMIX_LOG_IF(ERROR, "VELK", id > 0) << id;
    PLUMIX_LOG_CLASS_IF(DEBUG, "VELK", "Hal", id > 0) << id;
    PLUMIX_LOG_EVERY_N(VERBOSE, "VELK", 10) << id;
    PLUMIX_LOG_CLASS_EVERY_N(INFO, "VELK", "Hal", 10u) << id;
    PLUMIX_LOG_FIRST_N(CRITICAL, "VELK", 3) << id;
    PLUMIX_LOG_CLASS_FIRST_N(FATAL, "VELK", "Hal", 3) << id;
    PLUMIX_LOG_EVERY_N_SEC(INFO, "VELK", 0.5) << id;
    PLUMIX_LOG_CLASS_EVERY_N_SEC(INFO, "VELK", "Hal", 2) << id;
    PLUMIX_PLOG(ERROR, "VELK") << "open";
    PLUMIX_PLOG_CLASS(ERROR, "VELK", "Hal") << "open";
    PLUMIX_DUMP("VELK", frame.data(), frame.size());
    PLUMIX_DUMP_CLASS("VELK", "Hal", frame.data(), frame.size());
}

// Each macro's locals are in scope of what is streamed into it, where another may stand.
void NestedInAStreamedLambda(int id) {
    PLUMIX_LOG(INFO, "VELK") << [&] {
        PLUMIX_LOG(INFO, "ORNE") << "inner " << id;
        PLUMIX_LOG_EVERY_N_SEC(INFO, "ORNE", 1.0) << [&] {
            PLUMIX_PLOG(ERROR, "ORNE") << id;
            return id;
        }();
        return id;
    }();
}
