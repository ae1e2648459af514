#!/usr/bin/env bash
# Builds skylog, copies the sample working directory to a fresh folder, imports the
# sample ground-station files of all five formats into it, then prints the report of
# the first sample day and the K7 files made.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target skylog

work=$(mktemp -d /tmp/skylog-demo.XXXXXX)
cp -r sample/workdir/. "$work/"
mkdir -p "$work/input"
cp sample/input/* "$work/input/"
export SKYLOG_SETTINGS="$work/Skylog.conf"
skylog=build/cli/skylog

echo "== Working directory: $work"
echo "== skylog import"
set +e
"$skylog" --workdir "$work" import "$work"/input/*
status=$?
set -e
echo "(exit status $status)"
day=$(cat sample/DAY)
echo "== skylog report --day $day"
"$skylog" --workdir "$work" report --day "$day"
echo "== K7 files"
find "$work/DataK7" -name '*.K7' | sort
first=$(find "$work/DataK7" -name '*.K7' | sort | head -n 1)
if [ -n "$first" ]; then
  echo "== skylog k7 dump $first (first lines)"
  "$skylog" --workdir "$work" k7 dump "$first" | head -n 20
fi
