#!/usr/bin/env bash
# Builds the desktop program and opens Skylog's main window on the sample data: a fresh
# working directory with the sample beacons into which the sample ground-station files
# have been imported. The window opens on today: type 7 / 3 / 2005 and Enter (or
# pass another day to look at) to see the sample day. Needs a display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target skylog skylog-host

work=$(mktemp -d /tmp/skylog-desktop.XXXXXX)
cp -r sample/workdir/. "$work/"
mkdir -p "$work/input"
cp sample/input/* "$work/input/"
export SKYLOG_SETTINGS="$work/Skylog.conf"
printf 'WorkDir=%s/\n' "$work" >"$SKYLOG_SETTINGS"
build/cli/skylog import "$work"/input/* >/dev/null || true
echo "== Working directory: $work"
exec build/host/skylog-host --run "$@"
