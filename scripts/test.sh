#!/usr/bin/env bash
# Builds Skylog twice (normal, then AddressSanitizer + UndefinedBehaviorSanitizer) and
# runs every test in both builds, after a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)

# Every fuzz target for 30 seconds (clang build with libFuzzer, ASan and UBSan).
bash fuzz/smoke.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYLOG_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSKYLOG_SANITIZE=ON -DSKYLOG_WERROR=ON
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"
