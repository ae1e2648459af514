#!/usr/bin/env bash
# Configures and builds the fuzz targets in build-fuzz (clang, libFuzzer, ASan, UBSan).
#   fuzz/build.sh [TARGET...]      default: every target and the corpus tool
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SKYLOG_FUZZ_BUILD:-$root/build-fuzz}"
cxx="${SKYLOG_FUZZ_CXX:-clang++-14}"

if ! command -v "$cxx" >/dev/null 2>&1; then
  echo "fuzz: $cxx not found (apt-get install clang-14 libclang-rt-14-dev)" >&2
  exit 2
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSKYLOG_FUZZ=ON -DSKYLOG_BUILD_TESTS=OFF >/dev/null
fi
if [ $# -eq 0 ]; then set -- fuzz_all; fi
for target in "$@"; do
  cmake --build "$build" --target "$target" -j"$(nproc)"
done
