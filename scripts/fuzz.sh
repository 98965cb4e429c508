#!/usr/bin/env bash
# Fuzzes records, rendering and DUMPLOG with libFuzzer, built by clang in build-fuzz/.
#   scripts/fuzz.sh              build, then the short CTest run from the seed corpus (30 s, or
#                                FUZZ_CHECK_SECONDS)
#   scripts/fuzz.sh SECONDS      build, then fuzz that long; the corpus grows in build-fuzz/corpus
#   scripts/fuzz.sh --run FUZZER SECONDS [CORPUS]
#                                one run, as CTest calls it; without CORPUS it starts from a
#                                temporary copy of the seeds, so the repository is never written
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seeds=$root/tests/fuzz/corpus

run() {
    local fuzzer=$1 seconds=$2 corpus=${3:-}
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    corpus=${corpus:-$scratch/corpus}
    mkdir -p "$corpus"
    cp -n "$seeds"/* "$corpus"/
    local log=$scratch/fuzz.log status=0
    # Crash inputs go next to the fuzzer, where they outlive this run.
    "$fuzzer" -max_total_time="$seconds" -max_len=512 -timeout=20 -print_final_stats=1 \
        -artifact_prefix="$(dirname "$fuzzer")/" "$corpus" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "FAILED: $(basename "$fuzzer") exited with $status; crash input above, in $(dirname "$fuzzer")"
        return "$status"
    fi
    local inited done runs
    inited=$(grep -m1 'INITED' "$log" | grep -o 'cov: [0-9]* ft: [0-9]*' || true)
    done=$(grep 'DONE' "$log" | tail -n1 | grep -o 'cov: [0-9]* ft: [0-9]* corp: [^ ]*' || true)
    runs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | tail -n1 || true)
    echo "$(basename "$fuzzer"): ${runs:-no summary}(s); seeds gave ${inited:-?}; reached ${done:-?}"
}

build() {
    if ! command -v clang++ >/dev/null ||
        ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
        clang++ -fsanitize=fuzzer -x c++ - -o /dev/null 2>/dev/null; then
        # CI must not pass without having fuzzed; a workstation may go on without it.
        local need="fuzzing needs clang++ with libFuzzer (scripts/install-deps.sh installs it)"
        if [ "${CI:-}" = true ]; then
            echo "FAILED: $need; CI does not skip it"
            exit 1
        fi
        echo "SKIPPED (warning): $need"
        exit 0
    fi
    cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DPLUMIX_LOG_SANITIZE=fuzzer -DPLUMIX_LOG_BUILD_TESTS=OFF -DPLUMIX_LOG_BUILD_TOOLS=OFF \
        -DPLUMIX_LOG_FUZZ_SECONDS="${FUZZ_CHECK_SECONDS:-30}" >/dev/null
    cmake --build "$build" -j "${JOBS:-2}"
}

case "${1:-}" in
    --run)
        shift
        run "$@"
        ;;
    "")
        build
        ctest --test-dir "$build" --output-on-failure -V | grep -E 'dump_fuzzer|tests passed|tests failed|FAILED'
        ;;
    *)
        build
        run "$build/tests/fuzz/dump_fuzzer" "$1" "$build/corpus"
        ;;
esac
