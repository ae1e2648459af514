#!/usr/bin/env bash
# Two `skylog import` runs on the same working directory at once must leave what the
# same two runs leave one after the other: every daily message record once, every K7
# file with the same header and the same events, each once.
#
# usage: concurrent_import.sh SKYLOG SKYLOG_GEN COMPARE HOST_DATA [--seed S] [--rounds N]
set -euo pipefail

if [[ $# -lt 4 ]]; then
    echo "usage: $0 SKYLOG SKYLOG_GEN COMPARE HOST_DATA [--seed S] [--rounds N]" >&2
    exit 2
fi
skylog=$1 gen=$2 compare=$3 host=$4
shift 4
seed=${SAFETY_SEED:-$(( $(date +%s) % 100000 ))}
rounds=3
while [[ $# -gt 0 ]]; do
    case $1 in
        --seed) seed=$2; shift 2 ;;
        --rounds) rounds=$2; shift 2 ;;
        *) echo "option inconnue : $1" >&2; exit 2 ;;
    esac
done
echo "concurrent_import: seed $seed, $rounds rounds"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

run_import() {  # workdir, input folder
    "$skylog" --workdir "$1" --host-data "$host" import "$2"/* >/dev/null 2>"$2.log"
}

failed=0
for ((round = 0; round < rounds; round++)); do
    s=$((seed + round))
    set_dir=$tmp/set$round
    # 10 files per format: 60 files; run A takes the first 40, run B the last 40.
    "$gen" --out "$set_dir" --format all --files 10 --messages 600 --beacons 5 --days 2 \
        --seed "$s" --defects --no-expected >/dev/null
    mapfile -t all < <(cd "$set_dir/input" && ls | sort -t_ -k2,2n -k1,1)
    mkdir -p "$tmp/a$round" "$tmp/b$round" "$tmp/a${round}s" "$tmp/b${round}s"
    for name in "${all[@]:0:40}"; do
        cp "$set_dir/input/$name" "$tmp/a$round/"
        cp "$set_dir/input/$name" "$tmp/a${round}s/"
    done
    for name in "${all[@]:20:40}"; do
        cp "$set_dir/input/$name" "$tmp/b$round/"
        cp "$set_dir/input/$name" "$tmp/b${round}s/"
    done

    # One after the other.
    cp -r "$set_dir/workdir" "$tmp/serial$round"
    run_import "$tmp/serial$round" "$tmp/a${round}s"
    run_import "$tmp/serial$round" "$tmp/b${round}s"

    # At once.
    cp -r "$set_dir/workdir" "$tmp/both$round"
    run_import "$tmp/both$round" "$tmp/a$round" &
    pid_a=$!
    run_import "$tmp/both$round" "$tmp/b$round" &
    pid_b=$!
    wait "$pid_a" || { echo "round $round: import A failed"; cat "$tmp/a$round.log"; failed=1; }
    wait "$pid_b" || { echo "round $round: import B failed"; cat "$tmp/b$round.log"; failed=1; }

    echo -n "round $round (seed $s): "
    "$compare" "$tmp/serial$round" "$tmp/both$round" || failed=1
done

if [[ $failed -ne 0 ]]; then
    echo "concurrent_import: FAILED (seed $seed)"
    exit 1
fi
echo "concurrent_import: ok"
