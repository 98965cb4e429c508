#!/usr/bin/env bash
# Installs a build into a scratch prefix, checks the installed tree, then builds and runs the
# consumer against it twice: through find_package, and through pkg-config with the bare compiler.
#   check_install.sh BUILD_DIR CONSUMER_SOURCE_DIR
# CXX, CXXFLAGS and LDFLAGS carry the library's own compiler and flags, sanitizers included: an
# instrumented library only runs inside an instrumented program.
set -euo pipefail
build=$1 consumer=$2
: "${CXX:=c++}" "${CXXFLAGS:=}" "${LDFLAGS:=}"
export CXX CXXFLAGS LDFLAGS
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
work=$(mktemp -d "${TMPDIR:-/tmp}/plumix-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
[ -f "$prefix/include/plumix_log.h" ] || fail "no header in $prefix/include"
mapfile -t libs < <(find "$prefix" -name 'libplumix_log.so*')
if [ "${#libs[@]}" -ne 1 ] || [ "${libs[0]##*/}" != libplumix_log.so ] || [ -L "${libs[0]}" ]; then
    fail "expected one plain file libplumix_log.so, found: ${libs[*]}"
fi
lib=${libs[0]}
dynamic=$(readelf -d "$lib")
grep -qF 'Library soname: [libplumix_log.so]' <<<"$dynamic" || fail "installed SONAME is wrong"
if grep -F "$build" <<<"$dynamic"; then fail "installed library points into the build"; fi
if ldd "$lib" | grep 'not found'; then fail "installed library cannot find its dependencies"; fi
if [ -e "$prefix/bin/plumix-log" ]; then
    "$prefix/bin/plumix-log" -t VELK -f install "installed tool runs"
fi

cmake -S "$consumer" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
"$work/cmake/consumer" || fail "find_package consumer exited $?"

export PKG_CONFIG_PATH=${lib%/*}/pkgconfig
# shellcheck disable=SC2046,SC2086  # flag lists split into words on purpose
"$CXX" -std=c++17 -Wall -Wextra -Werror $CXXFLAGS "$consumer/main.cc" -o "$work/pc-consumer" \
    $(pkg-config --cflags --libs plumix_log) \
    -Wl,-rpath,"$(pkg-config --variable=libdir plumix_log)" $LDFLAGS
"$work/pc-consumer" || fail "pkg-config consumer exited $?"
echo "installed tree works through find_package and pkg-config"
