#!/usr/bin/env bash
# Builds the unit tests with AddressSanitizer + UndefinedBehaviorSanitizer into ./build-asan and runs them
# (unit and widget tests; not the end-to-end tests, not the benchmarks). Any report fails the run.
# Usage: scripts/test-asan.sh [extra ctest arguments, e.g. -R core_]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${MERIDANE_JOBS:-$(nproc)}

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMERIDANE_SANITIZE=address \
    -DMERIDANE_BENCH=OFF -DMERIDANE_FUZZ=OFF >/dev/null

# Leaks are checked at every test's exit. What Qt's font and platform layer keeps until exit is suppressed by
# scripts/sanitizers/lsan.supp (each entry says why); MERIDANE_ASAN_LEAKS=0 turns leak checking off.
export ASAN_OPTIONS="detect_leaks=${MERIDANE_ASAN_LEAKS:-1}:abort_on_error=0:detect_stack_use_after_return=0:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/scripts/sanitizers/lsan.supp:print_suppressions=0"

# The test lists are read from the executables at build time, so the options above apply there too.
start=$(date +%s)
cmake --build build-asan --target meridane_unit_tests -j "$jobs"
built=$(date +%s)
echo "asan: build took $((built - start)) s"

cd build-asan
# Instrumented code runs several times slower: a longer limit, the same assertions.
status=0
ctest --output-on-failure -j "$jobs" --timeout 600 -LE '^(e2e|bench)$' "$@" || status=$?
echo "asan: tests took $(($(date +%s) - built)) s"
exit $status
