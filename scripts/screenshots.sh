#!/usr/bin/env bash
# Renders every window of Skylog on the sample data into docs/screenshots/<class>.png,
# offscreen (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target skylog-screenshots
QT_QPA_PLATFORM=offscreen build/forms/skylog-screenshots docs/screenshots
