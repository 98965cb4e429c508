#!/usr/bin/env bash
# Installs a build into a scratch prefix, checks the installed tree, then builds and runs the
# consumers against it twice: through find_package (a C++14 project the package raises to C++17),
# and through pkg-config with the bare compiler. One consumer writes records, the other is a
# caller's test built on the capture helper.
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
for header in plumix_log.h plumix_log/internal/log_impl.h plumix_log_testing.h; do
    [ -f "$prefix/include/$header" ] || fail "no $header in $prefix/include"
done
[ -n "$(find "$prefix" -name libplumix_log_testing.a)" ] || fail "no libplumix_log_testing.a"
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
for program in consumer capture_consumer; do
    "$work/cmake/$program" || fail "find_package $program exited $?"
done

export PKG_CONFIG_PATH=${lib%/*}/pkgconfig
# pc_build SOURCE PACKAGE: builds and runs one consumer with the bare compiler.
pc_build() {
    local program=$work/pc-${1%.cc}
    # shellcheck disable=SC2046,SC2086  # flag lists split into words on purpose
    "$CXX" -std=c++17 -Wall -Wextra -Werror $CXXFLAGS "$consumer/$1" -o "$program" \
        $(pkg-config --cflags --libs "$2") \
        -Wl,-rpath,"$(pkg-config --variable=libdir plumix_log)" $LDFLAGS
    "$program" || fail "pkg-config $2 consumer $1 exited $?"
}
pc_build main.cc plumix_log
pc_build capture.cc plumix_log_testing
echo "installed tree works through find_package and pkg-config"
