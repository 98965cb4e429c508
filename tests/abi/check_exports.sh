#!/usr/bin/env bash
# Fails unless the library exports its public interface under the exact names prebuilt callers
# link with, and nothing else; and unless the ABI caller links the library alone and reaches all of
# that interface through the header.
#   check_exports.sh LIBRARY EXPECTED_SYMBOLS CALLER
set -euo pipefail
export LC_ALL=C
lib=$1 expected_file=$2 caller=$3
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# Base-object constructors and destructors (C2/D2) alias the complete-object ones (C1/D1).
fold_structors() { sed -E 's/([CD])2E/\11E/' | sort -u; }
namespace_of_interface() { grep -E '^(DUMPLOG$|_ZN6vendor7korvane10zunt_tools3log)' || true; }
compare_with_expected() {  # $1: what the list is, stdin: mangled names
    local actual
    actual=$(fold_structors)
    while read -r name; do
        fail "$1 lacks $name ($(c++filt "$name"))"
    done < <(comm -23 <(echo "$expected") <(echo "$actual") | grep .)
    while read -r name; do
        fail "$1 has unexpected $name ($(c++filt "$name"))"
    done < <(comm -13 <(echo "$expected") <(echo "$actual") | grep .)
}

expected=$(grep -v '^#' "$expected_file" | sort -u)
listing=$(nm -D --defined-only --format=posix "$lib")
exported=$(awk '{print $1}' <<<"$listing")

soname=$(readelf -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = libplumix_log.so ] || fail "SONAME is '$soname', not libplumix_log.so"
grep -q '^DUMPLOG T ' <<<"$listing" || fail "DUMPLOG is not an unmangled function"

while read -r name; do
    [ "$name" = DUMPLOG ] && continue
    demangled=$(c++filt "$name")
    if [[ $demangled != vendor::korvane::zunt_tools::log::* ]]; then
        fail "exported outside the namespace: $name ($demangled)"
    fi
    if [[ $demangled =~ Switch|Render|Parse ]]; then
        fail "internal code exported: $demangled"
    fi
done <<<"$exported"
compare_with_expected "the library's export table" <<<"$exported"

needed=$(readelf -d "$caller" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
grep -qx libplumix_log.so <<<"$needed" || fail "the caller does not link libplumix_log.so"
if grep -qE '^lib(log|base)\.' <<<"$needed"; then fail "the caller links liblog or libbase"; fi
# A variable of the library that the caller reads may be copied into the caller's own .bss by a
# copy relocation, and is then listed there as defined.
compare_with_expected "the caller's references" \
    < <(nm -D --format=posix "$caller" | awk '$2 ~ /^[UB]$/ {print $1}' | namespace_of_interface)

[ "$failures" -eq 0 ] || exit 1
echo "exports: $(wc -l <<<"$expected") operations, SONAME $soname, nothing else"
