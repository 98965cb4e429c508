#!/usr/bin/env bash
# A short scripted show of plumix-log. On a host, liblog writes records to stderr in logcat's
# format; every step says what should appear below it.
set -euo pipefail
tool=${1:-build/tools/plumix-log}

step() { printf '\n== %s\n' "$*"; }
run() { printf '$ plumix-log %s\n' "$*"; "$tool" "$@" 2>&1; }
# --explain exits with 1 when the record would be dropped, which is what the step shows.
run_dropped() { run "$@" || [ $? -eq 1 ]; }

step "VELK is enabled by the default category mask: the record is written"
run -t VELK -c Hal -f run "camera opened, 4 streams"

step "QUIB is not enabled by default: nothing is written"
run -t QUIB -c Hal -f run "this record is dropped"

step "ERROR bypasses the module filter: written at priority E"
run -t QUIB -p e -c Hal -f run "sensor timeout"

step "DEBUG is below the default threshold of 2: nothing is written"
run -t VELK -p d -f probe "register 0x40 = 7"

step "the same DEBUG record with the threshold lowered to 1: past the switches, but on a host liblog's own minimum priority, INFO, drops it; --explain says so"
run_dropped --set vendor.plumix.log.severity=1 --explain -t VELK -p d -f probe "register 0x40 = 7"

step "logging switched off: not even an ERROR is written"
run --set vendor.plumix.log.on=0 -t VELK -p e -f run "never seen"

step "dump of a 39-byte binary buffer, dumps on, threshold 1, buffer size 32: the length record; its DEBUG chunks follow where liblog lets DEBUG through (on a device, by default)"
printf 'HDR\x00\x01\x02\x1b[frame]\x7f\x80\x81\xfe\xffpayload-0123456789\r\n' > "${TMPDIR:-/tmp}/plumix-demo.bin"
run --set vendor.plumix.dumplog.on=1 --set vendor.plumix.log.severity=1 \
    --set vendor.plumix.log.buffer.size=32 --dump -t VELK -f rx "${TMPDIR:-/tmp}/plumix-demo.bin"
rm -f "${TMPDIR:-/tmp}/plumix-demo.bin"

step "the switches as the library reads them: QUIB is not among the enabled modules"
run --status

step "the mask that adds QUIB to those in force, and how to set it here (on a device: setprop)"
run --mask +QUIB
