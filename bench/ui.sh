#!/usr/bin/env bash
# The main window on a day of 10,000 blocks of one beacon: RefreshDay and the first
# paint, offscreen (docs/benchmarks.md). Builds what it needs in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target skylog skylog-gen skylog-ui-bench
set_dir=$(mktemp -d /tmp/skylog-ui-bench.XXXXXX)
trap 'rm -rf "$set_dir"' EXIT
build/tools/gen/skylog-gen --out "$set_dir" --format cnrs --messages 10000 --beacons 1 --days 1 \
  --dense --no-expected >/dev/null
SKYLOG_SETTINGS="$set_dir/import.conf" build/cli/skylog --workdir "$set_dir/workdir" \
  import "$set_dir"/input/* >/dev/null || true
QT_QPA_PLATFORM=offscreen build/forms/skylog-ui-bench "$set_dir/workdir" 2005-03-07
