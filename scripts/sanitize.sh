#!/usr/bin/env bash
# Sanitizer runs, called at the end of scripts/test.sh (ZENVAR_SKIP_SANITIZERS=1 skips them):
#   1. clang with AddressSanitizer and UndefinedBehaviorSanitizer: every unit and host-level test
#      plus the saved-state fuzzer for ZENVAR_FUZZ_SECONDS (default 60);
#   2. clang with ThreadSanitizer: the concurrency stress test.
# Each build holds only what its run needs (no benchmarks, no tools) and prints its wall time.
set -euo pipefail
cd "$(dirname "$0")/.."

asan_dir=${ZENVAR_ASAN_BUILD_DIR:-build-asan}
tsan_dir=${ZENVAR_TSAN_BUILD_DIR:-build-tsan}
fuzz_seconds=${ZENVAR_FUZZ_SECONDS:-60}
jobs=$(nproc)

# -O1 keeps the sanitized builds quick to compile and the reports close to the source; line tables
# let the reports name files and lines.
common_options=(
    -G Ninja
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_C_FLAGS_RELEASE=-O1 -DNDEBUG -gline-tables-only"
    "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG -gline-tables-only"
    -DZENVAR_BUILD_TESTS=ON -DZENVAR_BUILD_BENCHMARKS=OFF -DZENVAR_BUILD_TOOLS=OFF
)

# Every report fails the run; nothing is suppressed.
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

# The editor tests and the stress test's editors need an X display; a virtual one serves.
run_display=()
if [ -z "${DISPLAY:-}" ]; then
    run_display=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi

step() {
    local label=$1
    shift
    local start=$SECONDS
    "$@"
    echo "[sanitize] $label: $((SECONDS - start)) s"
}

echo "[sanitize] AddressSanitizer + UndefinedBehaviorSanitizer in $asan_dir"
step "ASan+UBSan configure" cmake -S . -B "$asan_dir" "${common_options[@]}" \
    "-DZENVAR_SANITIZE=address;undefined" -DZENVAR_BUILD_FUZZERS=ON -DZENVAR_FUZZ_SECONDS="$fuzz_seconds"
step "ASan+UBSan build" cmake --build "$asan_dir" -j "$jobs"
step "ASan+UBSan tests and fuzzer" "${run_display[@]}" ctest --test-dir "$asan_dir" --output-on-failure -j "$jobs"

echo "[sanitize] ThreadSanitizer in $tsan_dir"
step "TSan configure" cmake -S . -B "$tsan_dir" "${common_options[@]}" -DZENVAR_SANITIZE=thread
step "TSan build" cmake --build "$tsan_dir" -j "$jobs" --target ZenvarReliabilityTests
step "TSan stress test" "${run_display[@]}" "$tsan_dir/tests/reliability/ZenvarReliabilityTests" --gtest_filter='ConcurrencyStressTest.*'
