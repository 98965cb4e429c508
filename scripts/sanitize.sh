#!/usr/bin/env bash
# Builds the whole tree with a sanitizer and runs every CTest test under it; any report fails.
#   scripts/sanitize.sh address   AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
#   scripts/sanitize.sh thread    ThreadSanitizer, in build-tsan/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
    address) build=$root/build-asan ;;
    thread) build=$root/build-tsan ;;
    *)
        echo "usage: $0 address|thread" >&2
        exit 2
        ;;
esac

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLUMIX_LOG_SANITIZE="$1" >/dev/null
cmake --build "$build" -j "${JOBS:-2}"

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1:check_initialization_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export TSAN_OPTIONS="halt_on_error=1:exitcode=66:second_deadlock_stack=1:suppressions=$root/scripts/tsan.supp"
ctest --test-dir "$build" --output-on-failure -j "${JOBS:-2}"
