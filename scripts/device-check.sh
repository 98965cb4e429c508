#!/usr/bin/env bash
# Checks what a workstation can of the device build; any failure fails the run.
#   1. Android.bp parses and is in bpfmt's canonical form.
#   2. Android.bp and CMake build the same sources into the same modules (device_build.py).
#   3. Every source compiles with clang against libc++ under its Android.bp flags, and the
#      capture helper also against the logger interface of a device's liblog.
#   4. The library, the tool and the suite build as 32-bit code in build-m32/, and the suite
#      passes there. Where this host cannot start 32-bit programs, they run under qemu-i386.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${M32_BUILD_DIR:-$root/build-m32}

echo "device-check: Android.bp in canonical form"
if ! diff=$(bpfmt -d "$root/Android.bp"); then
    echo "FAIL: Android.bp does not parse"
    exit 1
fi
if [ -n "$diff" ]; then
    echo "$diff"
    echo "FAIL: Android.bp is not in canonical form; bpfmt -w Android.bp rewrites it"
    exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
echo 'int main() { return 0; }' | g++ -m32 -x c++ - -o "$scratch/probe"
emulator=""
"$scratch/probe" 2>/dev/null || emulator=qemu-i386

# The codemodel query makes CMake describe every target, which the source comparison reads.
mkdir -p "$build/.cmake/api/v1/query"
touch "$build/.cmake/api/v1/query/codemodel-v2"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i386-linux-gnu.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" >/dev/null

echo "device-check: Android.bp and CMake list the same sources"
python3 "$root/scripts/device_build.py" sources "$build"

echo "device-check: every source compiles with clang and libc++"
JOBS=${JOBS:-2} python3 "$root/scripts/device_build.py" libcxx "$build"
# Debian's liblog has the older logger form; a device's is declared in tests/device_liblog.
clang++ -std=c++17 -stdlib=libc++ -fsyntax-only -Wall -Wextra -Werror -D__ANDROID__ \
    -I"$root/tests/device_liblog" -I"$root/include" -I"$root/testing" "$root/testing/log_capture.cc"
echo "the capture helper compiles against a device's liblog"

echo "device-check: 32-bit build and suite${emulator:+ (under $emulator)}"
cmake --build "$build" -j "${JOBS:-2}"
# The packaging tests are left out: they prove the host's CMake package, pkg-config files and
# subproject use, which a device image does not have, and start the programs they build directly.
ctest --test-dir "$build" --output-on-failure -j "${JOBS:-2}" -LE '^packaging$'
