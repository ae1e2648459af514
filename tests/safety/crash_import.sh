#!/usr/bin/env bash
# An import killed (SIGKILL) at random moments and run again each time must end with
# the same stored data as an import that was never interrupted: no message lost or
# doubled, no cut record, no K7 event lost or doubled, no temporary file left.
#
# Two phases on the same generated set (all six formats, with defects):
#   import   `skylog import FILES...` on one copy of the files, killed and re-run; the
#            reader rewrites its input in place (bit 7), so kills also land there;
#   collect  `skylog collect --dir DIR --delete`, killed and re-run (the folder filled
#            again when a run got to the end): a file may only go once its messages
#            are stored.
#
# usage: crash_import.sh SKYLOG SKYLOG_GEN COMPARE HOST_DATA [--seed S] [--kills N]
#                        [--files F] [--messages M] [--long] [--keep]
# The seed (printed) fixes the generated files and the kill delays; the moments the
# kills land at still depend on the machine's speed.
set -euo pipefail

if [[ $# -lt 4 ]]; then
    echo "usage: $0 SKYLOG SKYLOG_GEN COMPARE HOST_DATA [--seed S] [--kills N] [--files F] [--messages M] [--long] [--keep]" >&2
    exit 2
fi
skylog=$1 gen=$2 compare=$3 host=$4
shift 4
seed=${SAFETY_SEED:-$(( $(date +%s) % 100000 ))}
kills=10
files_per_format=34   # six formats: 204 files
messages=800
keep=0
while [[ $# -gt 0 ]]; do
    case $1 in
        --seed) seed=$2; shift 2 ;;
        --kills) kills=$2; shift 2 ;;
        --files) files_per_format=$2; shift 2 ;;
        --messages) messages=$2; shift 2 ;;
        --long) kills=100; messages=4000; shift ;;
        --keep) keep=1; shift ;;
        *) echo "option inconnue : $1" >&2; exit 2 ;;
    esac
done
echo "crash_import: seed $seed, $((files_per_format * 6)) files, $messages messages, $kills kills per phase"
RANDOM=$seed

tmp=$(mktemp -d)
if [[ $keep -eq 1 ]]; then
    echo "crash_import: files kept in $tmp"
else
    trap 'rm -rf "$tmp"' EXIT
fi

"$gen" --out "$tmp/set" --format all --files "$files_per_format" --messages "$messages" --beacons 6 \
    --days 2 --seed "$seed" --defects --no-expected >/dev/null

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
sk() { "$skylog" --workdir "$1" --host-data "$host" "${@:2}"; }

# Reference: one uninterrupted import.
cp -r "$tmp/set/workdir" "$tmp/ref"
cp -r "$tmp/set/input" "$tmp/ref-input"
start=$(now_ms)
sk "$tmp/ref" import "$tmp/ref-input"/* >/dev/null 2>&1
duration=$(( $(now_ms) - start ))
(( duration < 50 )) && duration=50
echo "crash_import: uninterrupted import takes ${duration} ms"

# Starts the command in the background, kills it after a random delay within the
# expected duration of the run (the first argument: that duration in ms); answers 0
# when the kill landed before the end. The command must be a program, not a shell
# function: the kill has to reach the program itself.
killed_at_random() {
    local span=$(( $1 + $1 / 5 + 1 ))
    shift
    local delay=$(( (RANDOM * 32768 + RANDOM) % span ))
    "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    if kill -KILL "$pid" 2>/dev/null; then
        wait "$pid" 2>/dev/null || true
        return 0
    fi
    wait "$pid" 2>/dev/null || true
    return 1
}

failed=0

# Phase 1: import of the same files, killed and run again.
cp -r "$tmp/set/workdir" "$tmp/crash"
cp -r "$tmp/set/input" "$tmp/crash-input"
landed=0
for ((k = 0; k < kills; k++)); do
    killed_at_random "$duration" "$skylog" --workdir "$tmp/crash" --host-data "$host" import "$tmp/crash-input"/* && landed=$((landed + 1))
done
sk "$tmp/crash" import "$tmp/crash-input"/* >/dev/null 2>&1 || { echo "final import failed"; failed=1; }
echo -n "import, $landed kills landed: "
"$compare" "$tmp/ref" "$tmp/crash" || failed=1
if ! diff -r -q "$tmp/ref-input" "$tmp/crash-input" >/dev/null; then
    echo "the input files differ after the kills (a rewrite in place lost or changed bytes)"
    failed=1
fi

# Phase 2: collection with deletion, killed and run again until every file is gone.
cp -r "$tmp/set/workdir" "$tmp/collect"
cp -r "$tmp/set/input" "$tmp/collect-input"
total=$(ls -A "$tmp/collect-input" | wc -l)
landed=0
for ((k = 0; k < kills; k++)); do
    remaining=$(ls -A "$tmp/collect-input" | wc -l)
    if [[ $remaining -eq 0 ]]; then
        # A run got to the end: the same files again, which must change nothing.
        cp "$tmp/set/input"/* "$tmp/collect-input/"
        remaining=$total
    fi
    killed_at_random $((duration * remaining / total)) "$skylog" --workdir "$tmp/collect" --host-data "$host" collect --dir "$tmp/collect-input" --delete && landed=$((landed + 1))
done
sk "$tmp/collect" collect --dir "$tmp/collect-input" --delete >/dev/null 2>&1 || {
    echo "final collection failed"; failed=1; }
echo -n "collect --delete, $landed kills landed: "
"$compare" "$tmp/ref" "$tmp/collect" || failed=1
if [[ -n $(ls -A "$tmp/collect-input") ]]; then
    echo "files left in the collected folder: $(ls -A "$tmp/collect-input" | head -5 | tr '\n' ' ')"
    failed=1
fi

if [[ $failed -ne 0 ]]; then
    echo "crash_import: FAILED (seed $seed)"
    exit 1
fi
echo "crash_import: ok (seed $seed)"
