#!/usr/bin/env bash
# plumix-log as scripts use it: exit statuses, one-line errors, and what reaches the log.
set -uo pipefail
tool=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# expect STATUS STDERR-PATTERN ARGS...: runs the tool, checks its status and that stderr matches.
expect() {
    local status=$1 pattern=$2
    shift 2
    "$tool" "$@" >"$scratch/out" 2>"$scratch/err"
    local got=$?
    if [ "$got" -ne "$status" ] || ! grep -Eq -- "$pattern" "$scratch/err"; then
        echo "FAIL: plumix-log $* -> status $got, stderr:"
        cat "$scratch/err"
        failures=$((failures + 1))
    fi
}

expect 2 '^plumix-log: missing -t MODULE' hello
expect 2 "^plumix-log: unknown priority 'x'" -t VELK -p x hello
expect 2 '^plumix-log: unknown option' -t VELK --bogus hello
expect 0 ' I .*<Hal::run>hello world$' -t VELK -c Hal -f run hello world
expect 0 ' E .*<>down$' -t QUIB -p e down
expect 1 '^plumix-log: .*/missing: No such file' --dump "$scratch/missing"
expect 1 '^plumix-log: .*: Is a directory' --dump "$scratch"

printf 'A\nB\x01\xff' >"$scratch/bytes"
expect 0 ' D .*<rx>A<LF>B<SOH>FF$' --set vendor.plumix.dumplog.on=1 \
    --set vendor.plumix.log.severity=1 --dump -t VELK -f rx "$scratch/bytes"
printf 'line one\nline two\n' | expect 0 '<>line two$' -t VELK

# One byte more than a dump can take: refused before anything is logged.
truncate -s 2147483648 "$scratch/huge"
expect 1 '^plumix-log: .*huge: larger than one dump can take' --dump -t VELK "$scratch/huge"
if grep -q 'dumplog' "$scratch/err"; then
    echo "FAIL: a refused dump logged something"
    failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "plumix-log: all checks passed"
exit "$failures"
