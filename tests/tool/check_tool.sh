#!/usr/bin/env bash
# plumix-log as scripts use it: exit statuses, one-line errors, and what reaches the log.
set -uo pipefail
tool=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
# The environment the library reads on a host is each case's own.
unset PLUMIX_LOG_SWITCHES ANDROID_LOG_TAGS

# check out|err STATUS PATTERN ARGS...: runs the tool, checks its status and that what it printed
# on that stream matches.
check() {
    local stream=$1 status=$2 pattern=$3
    shift 3
    "$tool" "$@" >"$scratch/out" 2>"$scratch/err"
    local got=$?
    if [ "$got" -ne "$status" ] || ! grep -Eq -- "$pattern" "$scratch/$stream"; then
        echo "FAIL: plumix-log $* -> status $got, std$stream expected to match: $pattern"
        cat "$scratch/out" "$scratch/err"
        failures=$((failures + 1))
    fi
}
# On a host liblog writes the records to stderr, beside the tool's errors.
expect() { check err "$@"; }
expect_out() { check out "$@"; }

expect 2 '^plumix-log: missing -t MODULE' hello
expect 2 "^plumix-log: unknown priority 'x'" -t VELK -p x hello
expect 2 '^plumix-log: unknown option' -t VELK --bogus hello
expect 0 ' I .*<Hal::run>hello world$' -t VELK -c Hal -f run hello world
expect 0 ' E .*<>down$' -t QUIB -p e down
expect 1 '^plumix-log: .*/missing: No such file' --dump -t VELK "$scratch/missing"
expect 1 '^plumix-log: .*: Is a directory' --dump -t VELK "$scratch"

printf 'A\nB\x01\xff' >"$scratch/bytes"
# The tool leaves liblog's minimum priority as it is, INFO on a host, so the DEBUG chunk stays out.
expect 0 ' I .*<rx>dumplog length is 5$' --set vendor.plumix.dumplog.on=1 \
    --set vendor.plumix.log.severity=1 --dump -t VELK -f rx "$scratch/bytes"
if grep -q ' D ' "$scratch/err"; then
    echo "FAIL: a DEBUG record got past liblog's minimum priority"
    failures=$((failures + 1))
fi
# The same switches from the environment, and liblog's minimum lowered by the platform's own
# convention: the chunk shows.
ANDROID_LOG_TAGS='*:d' PLUMIX_LOG_SWITCHES='vendor.plumix.dumplog.on=1 vendor.plumix.log.severity=1' \
    expect 0 ' D .*<rx>A<LF>B<SOH>FF$' --dump -t VELK -f rx "$scratch/bytes"
# The last entry holds; one of another form is named and left out.
ANDROID_LOG_TAGS='*:d VELK:v *:e' expect 0 "^libplumix_log: ANDROID_LOG_TAGS: 'VELK:v' is not \*:v" \
    -t VELK -p w held
if grep -q '<>held$' "$scratch/err"; then
    echo "FAIL: ANDROID_LOG_TAGS='... *:e' let a WARNING record through"
    failures=$((failures + 1))
fi
printf 'line one\nline two\n' | expect 0 '<>line two$' -t VELK

# One byte more than a dump can take: refused before anything is logged.
truncate -s 2147483648 "$scratch/huge"
expect 1 '^plumix-log: .*huge: larger than one dump can take' --dump -t VELK "$scratch/huge"
if grep -q 'dumplog' "$scratch/err"; then
    echo "FAIL: a refused dump logged something"
    failures=$((failures + 1))
fi

# Mended: --dump without a module, --set without its value, a read error on standard input.
expect 2 '^plumix-log: missing -t MODULE' --dump "$scratch/bytes"
expect 2 '^plumix-log: missing value for --set' -t VELK --set
expect 2 '^plumix-log: --dump takes at most one FILE' --dump -t VELK "$scratch/bytes" "$scratch/bytes"
expect 2 '^plumix-log: --porcelain goes with --status' --porcelain -t VELK x
expect 1 '^plumix-log: standard input: ' -t VELK <&-

# Slips caught: a priority in another case or spelled out, options that --dump or --mask would
# drop or misread.
# VERBOSE and DEBUG records stay below liblog's minimum priority on a host: --explain names them.
for priority in v:VERBOSE V:VERBOSE verbose:VERBOSE VERBOSE:VERBOSE 0:VERBOSE d:DEBUG D:DEBUG \
    debug:DEBUG DEBUG:DEBUG Debug:DEBUG 1:DEBUG; do
    expect_out 1 "^dropped by the platform log filter: ${priority#*:} " \
        --set vendor.plumix.log.severity=0 --explain -t VELK -p "${priority%:*}" x
done
for priority in w:W warning:W warn:W Warn:W 3:W critical:E C:E 5:E f:F FATAL:F 6:F; do
    expect 0 " ${priority#*:} .*<>x$" --set vendor.plumix.log.severity=0 -t VELK -p "${priority%:*}" x
done
expect 2 "^plumix-log: unknown priority 'deb'" -t VELK -p deb x
expect 2 '^plumix-log: -c does not go with --dump' --dump -t VELK -c Hal "$scratch/bytes"
expect 2 '^plumix-log: -p does not go with --dump' --dump -t VELK -p d "$scratch/bytes"
expect 2 '^plumix-log: option --status after --mask: ' --mask VELK --status
expect 2 '^plumix-log: option -t after --mask: ' --mask +QUIB -t VELK
expect 2 "^plumix-log: option -p after the argument 'hello': " -t VELK hello -p e
expect 0 ' I .*<>-p e$' -t VELK -- -p e
expect 2 '^plumix-log: -t does not go with --status' --status -t VELK -p e
expect 2 '^plumix-log: -f does not go with --mask' -f run --mask VELK
expect 2 "^plumix-log: unknown priority '7'" -t VELK -p 7 x
expect_out 0 '^plumix-log [0-9]+\.[0-9]+\.[0-9]+$' --version

# A line too long for memory ends the run with a one-line error once the lines before it are
# written: 150 MB outgrow what getline can allocate under the limit, 100 MB what the record needs
# beside getline's buffer. Where the tool cannot even start under the limit (sanitizers and qemu
# reserve more address space than it allows), there is nothing to prove.
limit_kb=200000
if (ulimit -v $limit_kb && "$tool" --help) >/dev/null 2>&1; then
    for size in 150000000 100000000; do
        { printf 'before\n'; head -c $size /dev/zero | tr '\0' x; printf '\nafter\n'; } |
            (ulimit -v $limit_kb && "$tool" -t VELK -p e) >"$scratch/out" 2>"$scratch/err"
        status=${PIPESTATUS[1]}
        if [ "$status" -ne 1 ] || ! grep -q '<>before$' "$scratch/err" ||
            grep -q '<>after$' "$scratch/err" ||
            ! grep -q '^plumix-log: standard input: a line too long for memory$' "$scratch/err"; then
            echo "FAIL: a $size-byte line under ulimit -v $limit_kb -> status $status:"
            cut -c 1-100 "$scratch/err" | head -n 5
            failures=$((failures + 1))
        fi
    done
else
    echo "skipped: plumix-log does not start under ulimit -v $limit_kb"
fi

key=vendor.plumix.log
expect_out 0 "^$key.on +unset +1 \(default\) +logging on$" --status
expect_out 0 "^$key.catgory +unset +0x01011 \(default\) +enables VELK ORNE FENRO$" --status
expect_out 0 "^$key.severity +1 +1 +DEBUG and above$" --set $key.severity=1 --status
expect_out 0 "^$key.severity +4 +4 +ERROR and above only$" --set $key.severity=4 --status
expect_out 0 "^$key.severity +12abc +12 +ERROR and above only$" --set $key.severity=12abc --status
expect_out 0 "^$key.severity +-4 +-4 +every severity$" --set $key.severity=-4 --status
expect_out 0 "^$key.buffer.size +0 +0 +no limit$" --set $key.buffer.size=0 --status
expect_out 0 "^$key.on +\"<HT>1\" +\"<HT>1\" +logging off" --set "$key.on=	1" --status
expect_out 0 "^$key.catgory +zz +0x01011 \(malformed, default applies\) +enables VELK ORNE FENRO$" \
    --set $key.catgory=zz --status
# One past the largest signed 64-bit mask: out of range, so the default applies.
expect_out 0 "^$key.catgory +0x8000000000000000 +0x01011 \(malformed" \
    --set $key.catgory=0x8000000000000000 --status
expect_out 0 "^$key.catgory=-0x1$" --set $key.catgory=-1 --status --porcelain
expect_out 0 "^vendor.plumix.dumplog.on=yes$" --set vendor.plumix.dumplog.on=yes --status --porcelain

# Values a switch reads otherwise than meant: set, with a warning saying what they mean.
expect 0 "^plumix-log: warning: $key.on=true reads as off: only the text 1 turns it on \(set as given\)$" \
    --set $key.on=true --status
expect 0 "^plumix-log: warning: vendor.plumix.dumplog.on=OFF reads as on: only the text 0 turns it off" \
    --set vendor.plumix.dumplog.on=OFF --status
expect 0 "^plumix-log: warning: $key.severity=abc is malformed, so the default 2 applies" \
    --set $key.severity=abc --status
expect 0 "^plumix-log: warning: $key.severity is set more than once; the last value holds$" \
    --set $key.severity=1 --set $key.severity=3 --status
expect_out 0 "^$key.severity +3 +3 " --set $key.severity=1 --set $key.severity=3 --status

# Switches from the environment: marked in --status, --set still outranks them, and a slip is
# named while the rest apply.
PLUMIX_LOG_SWITCHES="$key.severity=1  vendor.plumix.dumplog.on=1" \
    expect_out 0 "^$key.severity +1 \(PLUMIX_LOG_SWITCHES\) +1 +DEBUG and above$" --status
PLUMIX_LOG_SWITCHES="$key.severity=1" expect_out 0 "^$key.severity +3 +3 " --set $key.severity=3 --status
PLUMIX_LOG_SWITCHES="oops $key.sevrity=1 $key.buffer.size=0" "$tool" --status >"$scratch/out" 2>"$scratch/err"
if [ "$(cat "$scratch/err")" != "libplumix_log: PLUMIX_LOG_SWITCHES: 'oops' is not KEY=VALUE; left out
libplumix_log: PLUMIX_LOG_SWITCHES: $key.sevrity is no switch of the library; left out" ] ||
    ! grep -Eq "^$key.buffer.size +0 \(PLUMIX_LOG_SWITCHES\) +0 +no limit$" "$scratch/out"; then
    echo "FAIL: PLUMIX_LOG_SWITCHES with slips:"
    cat "$scratch/out" "$scratch/err"
    failures=$((failures + 1))
fi

# expect_set_warning KEY MEANT: --set of KEY warns naming the switch's key MEANT, set all the same,
# or, with MEANT empty, sets KEY without a word.
expect_set_warning() {
    local expected=""
    [ -n "$2" ] && expected="plumix-log: warning: $1 is no switch of the library; did you mean $2? (set as given)"
    "$tool" --set "$1=1" --status >/dev/null 2>"$scratch/err"
    if [ "$(cat "$scratch/err")" != "$expected" ]; then
        echo "FAIL: --set $1=1 warned: '$(cat "$scratch/err")', expected: '$expected'"
        failures=$((failures + 1))
    fi
}
expect_set_warning $key.category $key.catgory
expect_set_warning $key.sevreity $key.severity
expect_set_warning $key.severty $key.severity
expect_set_warning $key.buffer.sise $key.buffer.size
expect_set_warning vendor.plumix.dumplog.om vendor.plumix.dumplog.on
expect_set_warning plumix.log.severity $key.severity
expect_set_warning $key.catgory ""
expect_set_warning $key.on ""
expect_set_warning vendor.other.key ""

# Every mask --mask prints must enable exactly the modules asked for when a real record meets it.
modules="VELK ORNE QUIB FENRO HULM PLUMIX JSON-VELK JSON-ORNE JSON-FENRO JSON-QUIB"
# check_mask MASK-IN-FORCE EXPECTED-MODULES ARGS...
check_mask() {
    local in_force=$1 wanted=" $2 "
    shift 2
    "$tool" --set $key.catgory="$in_force" --mask "$@" >"$scratch/out" 2>"$scratch/err"
    local mask
    mask=$(head -n 1 "$scratch/out")
    if ! grep -qx -- "--set $key.catgory=$mask" "$scratch/out"; then
        echo "FAIL: --mask $* printed:"
        cat "$scratch/out" "$scratch/err"
        failures=$((failures + 1))
        return
    fi
    for module in $modules; do
        "$tool" --set $key.catgory="$mask" -t "$module" probe 2>"$scratch/err"
        local written=no expected=no
        grep -q '<>probe$' "$scratch/err" && written=yes
        [[ $wanted == *" $module "* ]] && expected=yes
        if [ "$written" != "$expected" ]; then
            echo "FAIL: --mask $* gave $mask; a $module record written: $written"
            failures=$((failures + 1))
        fi
    done
}
for module in $modules; do check_mask 0 "$module" "$module"; done
check_mask 0 "VELK QUIB JSON-QUIB HULM" velk Quib json-quib HULM
check_mask 0 "" +QUIB -QUIB
check_mask 0x01011 "VELK FENRO QUIB" +quib -ORNE
check_mask -1 "VELK ORNE QUIB FENRO HULM PLUMIX JSON-VELK JSON-ORNE JSON-FENRO" -JSON-QUIB
check_mask zz "ORNE FENRO" -VELK
check_mask 0 "$modules" all
check_mask -1 "VELK" None VELK
check_mask 0x01011 "" -ALL
expect 2 '^plumix-log: unknown module .BOGUS. \(known: VELK ORNE QUIB .*JSON-QUIB\)' --mask VELK BOGUS
expect 2 "^plumix-log: unknown module 'CAMHAL' " --mask +CAMHAL
expect 2 '^plumix-log: --mask takes either' --mask VELK +QUIB

# --explain must agree with what the same record then does, and write nothing itself.
# check_explain STATUS STDOUT-PATTERN ARGS...
check_explain() {
    local status=$1 pattern=$2
    shift 2
    local before=() after=()
    while [ "$1" != -- ]; do before+=("$1"); shift; done
    shift
    expect_out "$status" "$pattern" "${before[@]}" --explain "$@"
    if [ -s "$scratch/err" ]; then
        echo "FAIL: --explain $* wrote to the log:"
        cat "$scratch/err"
        failures=$((failures + 1))
    fi
    "$tool" "${before[@]}" "$@" 2>"$scratch/err"
    local written=1
    grep -q "^$2 " "$scratch/err" && written=0
    if [ "$written" -ne "$status" ]; then
        echo "FAIL: --explain $* answered $status, the record written: $([ $written = 0 ] && echo yes || echo no)"
        failures=$((failures + 1))
    fi
}
# The module name doubles as what to look for in the log, so each case uses its own case.
check_explain 0 '^written: INFO record of Velk, 21 characters: <Hal::run>hello world$' \
    -- -t Velk -c Hal -f run hello world
check_explain 1 "^dropped: logging is off: $key.on = 0; --set $key.on=1$" \
    --set $key.on=0 -- -t VELk -p e x
# Off outranks every other reason, even when the module is not enabled either.
check_explain 1 "^dropped: logging is off: $key.on = 0; --set $key.on=1$" \
    --set $key.on=0 -- -t QuIB x
check_explain 1 "^dropped: module QUIB is not enabled by $key.catgory = 0x01011 \(default\); plumix-log --mask \+QUIB$" \
    -- -t qUIB x
check_explain 1 "^dropped: module BOGUS has no digit" -- -t BOGUS x
check_explain 0 '^written: ERROR record of BOGUs' -- -t BOGUs -p e x
check_explain 1 "^dropped: DEBUG is below the threshold $key.severity = 2 \(default\); --set $key.severity=1$" \
    -- -t vELK -p d x
check_explain 1 "^dropped by the platform log filter: VERBOSE is below liblog's minimum priority" \
    --set $key.severity=-9 -- -t veLK -p v x
# "<run>123456" is 11 characters: dropped at 11, written at 12.
check_explain 1 "^dropped: the record is 11 characters, not shorter than $key.buffer.size = 11; --set $key.buffer.size=12" \
    --set $key.buffer.size=11 -- -t VelK -f run 123456
check_explain 0 '^written: .*11 characters' --set $key.buffer.size=12 -- -t VeLK -f run 123456
check_explain 1 "^dropped: the record is 3 characters, not shorter than $key.buffer.size = -1;" \
    --set $key.buffer.size=-1 -- -t VElk -p f x

[ "$failures" -eq 0 ] && echo "plumix-log: all checks passed"
exit "$failures"
