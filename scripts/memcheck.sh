#!/usr/bin/env bash
# Runs every CTest test of a build in build-memcheck/ under Valgrind's memcheck: any error or
# definitely lost block fails the test. The two process-wide objects that are never destroyed
# stay reachable, so they are not reported.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-memcheck

# CMake puts the emulator in front of every test program, gtest's listing of its tests included.
valgrind="valgrind;--quiet;--error-exitcode=1;--leak-check=full;--errors-for-leak-kinds=definite"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CROSSCOMPILING_EMULATOR="$valgrind" \
    >/dev/null
cmake --build "$build" -j "${JOBS:-2}"
# The allocation-failure tests count calls of their own operator new, which Valgrind replaces.
# plumix_log_tool starts the tool under Valgrind some 250 times, over 200 s on its own and
# more beside another test: hence 600 s.
ctest --test-dir "$build" --output-on-failure -j "${JOBS:-2}" --timeout 600 -E '^AllocFailureTest\.'
