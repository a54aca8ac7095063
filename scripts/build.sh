#!/usr/bin/env bash
# Configures and builds everything into ./build (programs, tests, benchmarks).
# MERIDANE_CMAKE_ARGS adds configure options (CI: -DMERIDANE_DEBUG_INFO=OFF).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck disable=SC2086
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${MERIDANE_CMAKE_ARGS:-} >/dev/null
cmake --build build -j "$(nproc)"
