#!/usr/bin/env bash
# Import time against the layout of the files (docs/benchmarks.md, "Files in time order
# and files that span many days").
#
#   bench/import_layouts.sh [--messages N] [--files N] [--runs N] [--baseline PROGRAM]
#                           [--build DIR] [--keep]
#
# --messages N        messages of the 1x sets (default 24000); the 10x sets hold ten times
#                     as many, in ten times as many files
# --files N           files of the 1x sets (default 960)
# --runs N            imports of each set, best kept (default 3)
# --baseline PROGRAM  another skylog program timed on the same sets, alternating
# --build DIR         build folder (default build-bench-release at the repository root)
# --keep              keep the temporary folder with the sets
#
# Two layouts of the same messages (20 beacons over 100 days, DCP files): "ordered", files
# in time order as a station writes them, each covering a short span; "spread", the same
# messages dealt out in turn to as many files, so that every file spans every day. All
# imports run in one go, alternating, since file-system times move between runs.
# Prints one line per import and PASS/FAIL per target; exits 1 when a target fails.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
messages=24000
files=960
runs=3
keep=0
baseline=
build="$root/build-bench-release"
while [ $# -gt 0 ]; do
  case "$1" in
    --messages) messages=$2; shift ;;
    --files) files=$2; shift ;;
    --runs) runs=$2; shift ;;
    --baseline) baseline=$(realpath "$2"); shift ;;
    --build) build=$2; shift ;;
    --keep) keep=1 ;;
    -h|--help) sed -n 2,20p "$0"; exit 0 ;;
    *) echo "bench/import_layouts.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

bash "$root/scripts/deps.sh" libbenchmark-dev >&2
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYLOG_BUILD_TESTS=OFF >/dev/null
fi
cmake -S "$root" -B "$build" -DSKYLOG_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target skylog skylog-gen skylog-warm-memory -j"$(nproc)" >/dev/null
skylog="$build/cli/skylog"
gen="$build/tools/gen/skylog-gen"
warmer="$build/bench/skylog-warm-memory"

tmp=$(mktemp -d /tmp/skylog-layouts-bench.XXXXXX)
cleanup() { if [ "$keep" = 1 ]; then echo "kept $tmp" >&2; else rm -rf "$tmp"; fi; }
trap cleanup EXIT
export SKYLOG_SETTINGS="$tmp/settings.conf"
export LC_ALL=C
calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }

failures=0
check() {  # check NAME VALUE OP LIMIT
  local verdict=FAIL
  if awk -v v="$2" -v l="$4" -v op="$3" 'BEGIN { exit !((op == "<=" && v <= l) || (op == ">=" && v >= l)) }'; then
    verdict=PASS
  else
    failures=$((failures + 1))
  fi
  printf '%-4s %-52s %8s x (target %s %s)\n' "$verdict" "$1" "$2" "$3" "$4"
}

# ordered NAME MESSAGES FILES: the generator's files, in time order.
ordered() {
  "$gen" --out "$tmp/$1" --no-expected --format dcp --beacons 20 --days 100 --seed 21 \
    --messages "$2" --files "$3" >/dev/null
}

# spread FROM TO: FROM's messages, in time order, dealt out in turn to files of the same
# names.
spread() {
  local from=$tmp/$1 to=$tmp/$2
  mkdir -p "$to/input"
  cp -r "$from/workdir" "$to/"
  (cd "$from/input" && ls | sort) >"$to/names"
  (cd "$from/input" && cat $(cat "$to/names")) | awk -v n="$(wc -l <"$to/names")" -v dir="$to/input" \
    -v list="$to/names" '
    BEGIN { while ((getline name < list) > 0) names[count++] = name }
    / at .* UTC / { if (file != "") close(file); file = dir "/" names[dealt++ % n] }
    { print >> file }'
}

# import PROGRAM SET: a fresh working directory imports the set; sets wall (seconds).
# Earlier runs' folders are moved aside, not deleted (see bench/import.sh, discard).
runs_done=0
import() {
  local program=$1 set=$tmp/$2
  runs_done=$((runs_done + 1))
  local run=$tmp/run-$runs_done
  mkdir -p "$run"
  cp -r "$set/workdir" "$run/work"
  local list
  mapfile -t list < <(find "$set/input" -type f | sort)
  sync
  "$warmer" 1024
  local start=$EPOCHREALTIME
  "$program" --workdir "$run/work" import "${list[@]}" >/dev/null 2>"$run/stderr" || {
    echo "import of $2 by $program failed:" >&2
    cat "$run/stderr" >&2
    exit 1
  }
  wall=$(calc "$EPOCHREALTIME - $start" 3)
  (cd "$run/work" && find DataDCP DataK7 -type f | sort) >"$run/files"
  last_run=$run
}

ordered o1 "$messages" "$files"
ordered o10 $((messages * 10)) $((files * 10))
spread o1 s1
spread o10 s10
echo "machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -n 1)"
echo "sets: 20 beacons over 100 days; 1x: $messages messages in $files files; 10x: ten times both"

programs=(new)
[ -n "$baseline" ] && programs+=(baseline)
declare -A best stored
for ((r = 0; r < runs; r++)); do
  for set in o1 s1 o10 s10; do
    for program in "${programs[@]}"; do
      path=$skylog
      [ "$program" = baseline ] && path=$baseline
      import "$path" "$set"
      key=$program-$set
      if [ -z "${best[$key]:-}" ] || awk -v a="$wall" -v b="${best[$key]}" 'BEGIN { exit !(a < b) }'; then
        best[$key]=$wall
      fi
      stored[$key]=$last_run/files
    done
  done
done

# Both layouts hold the same messages: the same daily and K7 files come out.
for key in "${!stored[@]}"; do
  case $key in *-s*) cmp -s "${stored[$key]}" "${stored[${key/-s/-o}]}" ||
    { echo "$key stored other files than ${key/-s/-o}" >&2; exit 1; } ;; esac
done
for program in "${programs[@]}"; do
  for set in o1 s1 o10 s10; do
    printf '     %-9s %-4s %8s s\n' "$program" "$set" "${best[$program-$set]}"
  done
done
check "spread / ordered, 1x" "$(calc "${best[new-s1]} / ${best[new-o1]}")" "<=" 2
check "spread / ordered, 10x" "$(calc "${best[new-s10]} / ${best[new-o10]}")" "<=" 2
check "10x / 1x, ordered" "$(calc "${best[new-o10]} / ${best[new-o1]}")" "<=" 12
check "10x / 1x, spread" "$(calc "${best[new-s10]} / ${best[new-s1]}")" "<=" 12

if [ "$failures" -gt 0 ]; then
  echo "$failures target(s) missed"
  exit 1
fi
echo "every target met"
