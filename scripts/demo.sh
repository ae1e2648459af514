#!/usr/bin/env bash
# Builds skylog, copies the sample working directory to a fresh folder, imports the
# sample ground-station files of all five formats into it, then prints the report of
# the first sample day and the K7 files made.
# SKYLOG_DEMO_PROGRAM names a skylog program already built (the tests): nothing is
# installed nor built then. Exits with the import's status.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -n "${SKYLOG_DEMO_PROGRAM:-}" ]; then
  skylog=$SKYLOG_DEMO_PROGRAM
else
  bash scripts/deps.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$(nproc)" --target skylog
  skylog=build/cli/skylog
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/skylog-demo.XXXXXX")
if [ -n "${SKYLOG_DEMO_PROGRAM:-}" ]; then trap 'rm -rf "$work"' EXIT; fi
cp -r sample/workdir/. "$work/"
mkdir -p "$work/input"
cp sample/input/* "$work/input/"
export SKYLOG_SETTINGS="$work/Skylog.conf"

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
# sed, not head, cuts the listings: head leaves before the writer has finished, which
# then dies of SIGPIPE, and pipefail made the whole demo fail with status 141.
files=$(find "$work/DataK7" -name '*.K7' | sort)
echo "$files"
first=$(sed -n 1p <<<"$files")
if [ -n "$first" ]; then
  echo "== skylog k7 dump $first (first lines)"
  "$skylog" --workdir "$work" k7 dump "$first" | sed -n 1,20p
fi
exit "$status"
