#!/usr/bin/env bash
# A short scripted show: the example HAL's code beside the records it writes, then plumix-log. On
# a host, liblog writes records to stderr in logcat's format; every step says what should appear
# below it.
#   demo.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
tool=$build/tools/plumix-log
example=$build/examples/plumix_log_example
source=$(dirname "$0")/../examples/camera_hal.cc
# Each step's environment is its own.
unset PLUMIX_LOG_SWITCHES ANDROID_LOG_TAGS

step() { printf '\n== %s\n' "$*"; }
run() { printf '$ plumix-log %s\n' "$*"; "$tool" "$@" 2>&1; }
# --explain exits with 1 when the record would be dropped, which is what the step shows.
run_dropped() { run "$@" || [ $? -eq 1 ]; }
# show_code METHOD: the example's method, numbered as in its file; it ends with the first line
# that closes a brace at the method's indentation, or with its own line when that closes it.
show_code() {
    awk -v method="$1" '$0 ~ "void " method "\\(" { on = 1; first = NR }
        on { printf "  examples/camera_hal.cc:%-3d %s\n", NR, $0 }
        on && (/^    }$/ || (NR == first && /}$/)) { exit }' "$source"
}
# run_example STEP: what the step's code writes.
run_example() {
    printf '$ plumix_log_example %s\n' "$1"
    "$example" "$1" 2>&1
}

step "CameraHal::Open: PLUMIX_LOG_CLASS heads the record <CameraHal::Open>; its DEBUG record is below the default threshold, 2 (INFO), and is not written"
show_code Open
run_example open

step "OnFrame, called for frames 1 to 7: PLUMIX_LOG_EVERY_N writes the 1st, 4th and 7th"
show_code OnFrame
run_example frames

step "Calibrate on a missing file: PLUMIX_PLOG ends the record with errno's text"
show_code Calibrate
run_example calibrate

step "Receive: PLUMIX_DUMP takes the vector itself; dumps are off by default, so only the length record is written"
show_code Receive
run_example receive

switches="vendor.plumix.log.severity=1 vendor.plumix.dumplog.on=1 vendor.plumix.log.buffer.size=56"
step "all four again, switched from the environment: DEBUG through the threshold and liblog, dumps on, records shorter than 56 characters: the DEBUG record of Open appears, and the dump's bytes rendered in chunks"
printf "\$ ANDROID_LOG_TAGS='*:d' PLUMIX_LOG_SWITCHES='%s' plumix_log_example\n" "$switches"
ANDROID_LOG_TAGS='*:d' PLUMIX_LOG_SWITCHES=$switches "$example" 2>&1

step "plumix-log writes records from scripts: VELK is enabled by the default category mask"
run -t VELK -c Hal -f run "camera opened, 4 streams"

step "QUIB is not enabled by default: nothing is written"
run -t QUIB -c Hal -f run "this record is dropped"

step "ERROR bypasses the module filter: written at priority E"
run -t QUIB -p e -c Hal -f run "sensor timeout"

step "a DEBUG record with the threshold lowered to 1: past the switches, but liblog's minimum priority on a host, INFO, drops it; --explain says so and how to lower it"
run_dropped --set vendor.plumix.log.severity=1 --explain -t VELK -p d -f probe "register 0x40 = 7"

step "logging switched off: not even an ERROR is written"
run --set vendor.plumix.log.on=0 -t VELK -p e -f run "never seen"

step "the switches as the library reads them, two set from the environment: QUIB is not among the enabled modules"
printf "\$ PLUMIX_LOG_SWITCHES='vendor.plumix.log.severity=1 vendor.plumix.dumplog.on=1' plumix-log --status\n"
PLUMIX_LOG_SWITCHES='vendor.plumix.log.severity=1 vendor.plumix.dumplog.on=1' "$tool" --status 2>&1

step "the mask that adds QUIB to those in force, and how to set it here (on a device: setprop)"
run --mask +QUIB
