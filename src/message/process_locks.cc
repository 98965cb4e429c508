#include "process_locks.h"

namespace vendor::korvane::zunt_tools::log::internal {

ProcessLock header_lock = {PTHREAD_MUTEX_INITIALIZER};
ProcessLock split_record_lock = {PTHREAD_MUTEX_INITIALIZER};

namespace {

// The split record lock first: its holder may take the header lock, when a logger of the process's
// own builds a record, never the other way round.
void LockBoth() {
    split_record_lock.lock();
    header_lock.lock();
}

void UnlockBoth() {
    header_lock.unlock();
    split_record_lock.unlock();
}

// A fork waits until no other thread holds either lock, so the child, and its own children, which
// inherit the handlers, can always log. Registered as the library loads, before any record.
[[maybe_unused]] const int fork_handlers = pthread_atfork(LockBoth, UnlockBoth, UnlockBoth);

}  // namespace

}  // namespace vendor::korvane::zunt_tools::log::internal
