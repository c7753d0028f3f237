#!/usr/bin/env bash
# Hardening: the program and all its tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer and run under Xvfb, with the end-to-end test of
# bad inputs run on the sanitized program (the other end-to-end tests repeat
# the normal build's checks and are left to it); a long soak of random input
# through the main loop; then the fuzzers of the bitmap and map loaders, each
# replaying every kept crash first and then fuzzing for a bounded time.
#
# TALVOX_SOAK_FRAMES (default 40000) and TALVOX_FUZZ_SECONDS (default 35 per
# target) change the lengths. Build folders: build-asan, build-fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh test

soak_frames=${TALVOX_SOAK_FRAMES:-40000}
fuzz_seconds=${TALVOX_FUZZ_SECONDS:-35}
display=(xvfb-run -a -s "-screen 0 1600x1200x24 -noreset")
passed=0
failed=0
stage() { # name, command...
    local name=$1 began
    shift
    began=$(date +%s)
    echo "=== hardening: $name"
    if "$@"; then
        passed=$((passed + 1))
        echo "=== hardening: $name passed in $(($(date +%s) - began)) s"
    else
        failed=$((failed + 1))
        echo "=== hardening: $name FAILED after $(($(date +%s) - began)) s"
    fi
}

# Sanitizer reports end the process with an error; leaks are reported too,
# except those of the third-party libraries named in the suppression file.
export ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0

build_asan() {
    cmake --preset sanitizers && cmake --build --preset sanitizers
}
unit_tests() {
    (cd build-asan && "${display[@]}" ctest --output-on-failure -j2 --timeout 900 -E '^e2e_|^Soaking\.')
}
# The real SDL program is checked for every sanitizer report but leaks: at
# exit SDL has unloaded the libraries it opened itself (X11 and GL), so their
# leftover blocks name no module and cannot be suppressed by name. Our own
# code is in the executable, always named; the tests above check its leaks.
bad_inputs_end_to_end() {
    (cd build-asan && ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=0 "${display[@]}" \
        ctest --output-on-failure --timeout 900 -R '^e2e_test_bad_inputs$')
}
soak() {
    (cd build-asan && TALVOX_SOAK_FRAMES=$soak_frames "${display[@]}" ctest -V --timeout 900 -R '^Soaking\.' |
        grep -E 'soak:|Passed|Failed|tests passed|Error|ERROR|SUMMARY|runtime error' ; exit "${PIPESTATUS[0]}")
}

build_fuzz() {
    cmake --preset fuzz && cmake --build --preset fuzz
}
# Replays the kept crashes of a target (each must now pass), then fuzzes it
# from the seeds, the kept crashes and what earlier runs found.
fuzz_target() { # bitmap | map
    local target=$1 fuzzer=$root/build-fuzz/fuzz_$1 kept=$root/fuzz/regressions/$1
    local corpus=$root/build-fuzz/corpus/$1 crashes=$root/build-fuzz/crashes/$1
    mkdir -p "$corpus" "$crashes" "$kept"
    local existing=()
    mapfile -t existing < <(find "$kept" -maxdepth 1 -type f ! -name 'README*' | sort)
    if [ ${#existing[@]} -gt 0 ]; then
        echo "replaying ${#existing[@]} kept case(s) of fuzz_$target"
        "$fuzzer" "${existing[@]}" > "$crashes/replay.log" 2>&1 || { tail -n 30 "$crashes/replay.log"; return 1; }
    fi
    "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=1 -artifact_prefix="$crashes/" \
        "$corpus" "$root/build-fuzz/seeds/$target" "$kept" 2>&1 |
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)|ERROR|SUMMARY|fuzz_'"$target"':|Test unit written|runtime error'
    local status=${PIPESTATUS[0]}
    if [ "$status" -ne 0 ]; then
        echo "fuzz_$target found a crash: keep it in fuzz/regressions/$target/ and mend its cause"
    fi
    return "$status"
}

stage "sanitizer build" build_asan
stage "unit and GL tests under the sanitizers" unit_tests
stage "bad inputs end to end under the sanitizers" bad_inputs_end_to_end
stage "soak of $soak_frames frames under the sanitizers" soak
stage "fuzz build" build_fuzz
stage "bitmap loader fuzzing" fuzz_target bitmap
stage "map loader fuzzing" fuzz_target map

echo "hardening: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
