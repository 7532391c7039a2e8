#!/usr/bin/env bash
# Builds everything (plug-in, tests, tools, benchmarks) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh

build_dir=${ZENVAR_BUILD_DIR:-build}
jobs=$(nproc)

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DZENVAR_BUILD_TESTS=ON -DZENVAR_BUILD_TOOLS=ON -DZENVAR_BUILD_BENCHMARKS=ON
cmake --build "$build_dir" -j "$jobs"

# GUI tests need an X display; a virtual one serves when there is none.
run_display=()
if [ -z "${DISPLAY:-}" ]; then
    run_display=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi

"${run_display[@]}" ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"

# Sanitizer builds and runs (scripts/sanitize.sh); ZENVAR_SKIP_SANITIZERS=1 skips them.
[ "${ZENVAR_SKIP_SANITIZERS:-0}" = 1 ] || bash scripts/sanitize.sh
