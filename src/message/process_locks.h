// The library's two process-wide locks. Internal.
#pragma once

#include <pthread.h>

namespace vendor::korvane::zunt_tools::log::internal {

// Constant-initialised and never destroyed: there is no first-use guard that a fork could catch
// half-way, and records may still be built on other threads while the process exits. A cache line
// of its own, so that taking it does not evict what every record reads beside it.
struct alignas(64) ProcessLock {
    void lock() { pthread_mutex_lock(&mutex); }
    void unlock() { pthread_mutex_unlock(&mutex); }

    pthread_mutex_t mutex;
};

// Held while a constructor stores its severity and module and writes the header, and at no other
// time.
extern ProcessLock header_lock;

// Held across all the pieces of a record that is split, so that no other split record of the
// process comes between them. A short record takes no lock, so it may.
extern ProcessLock split_record_lock;

}  // namespace vendor::korvane::zunt_tools::log::internal
