#!/usr/bin/env bash
# Programs that change the lists or the settings while others work in the same
# working directory: nothing one of them changed is undone by another, and a due task
# runs once however many programs poll the directory.
#
# While a stand-in holds the working directory lock, an import (which read the lists
# at its start) and two `tasks run` (which read Tasks.inf at theirs) wait for it; the
# settings, DcpList.inf (by hand) and the task list (`tasks add`, which waits too) are
# changed meanwhile. Then the lock is let go and every program finishes.
#
# usage: lists_two_programs.sh SKYLOG SAMPLE_DIR
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 SKYLOG SAMPLE_DIR" >&2
    exit 2
fi
skylog=$1 sample=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
wd=$tmp/wd
cp -r "$sample/workdir" "$wd"
cp -r "$sample/input" "$tmp/input"  # the reader rewrites its input files in place
export SKYLOG_SETTINGS=$tmp/settings.conf
export SKYLOG_NOW="2026-01-01 10:30:00"
sk() { "$skylog" --workdir "$wd" --host-data "$sample/host" "$@"; }
failed=0
fail() { echo "lists_two_programs: $*"; failed=1; }

sk config set Automode 1
# A single call that came due at 10:00; its folder is missing, so each run of it fails
# and says so.
SKYLOG_NOW="2026-01-01 09:00:00" sk tasks add collect --dir "$tmp/missing" --at "2026-01-01 10:00" \
    >/dev/null 2>&1

flock "$wd/.skylog.lock" sleep 3 &
holder=$!
sleep 0.5
sk import "$tmp"/input/* >/dev/null 2>"$tmp/import.err" &
import=$!
sk tasks run 2>"$tmp/run1.err" &
run1=$!
sk tasks run 2>"$tmp/run2.err" &
run2=$!
sleep 1
sk config set LimitFutur 9
sed -i 's/^NbDCP=5\r$/NbDCP=6\r/' "$wd/DcpList.inf"
printf '\r\n[DCP5]\r\nName=Ajoutee\r\nNumber=ABCDEF01\r\n' >>"$wd/DcpList.inf"
sk tasks add rebuild-k7 --days 1 --at "2026-01-02 02:00" >/dev/null 2>"$tmp/add.err" &
add=$!

wait "$holder"
wait "$import" || fail "import failed: $(cat "$tmp/import.err")"
wait "$add" || fail "tasks add failed: $(cat "$tmp/add.err")"
statuses=0
wait "$run1" || statuses=$((statuses + 1))
wait "$run2" || statuses=$((statuses + 1))

grep -q '^LimitFutur=9$' "$tmp/settings.conf" || fail "config set undone"
grep -q '^Name=Ajoutee' "$wd/DcpList.inf" || fail "hand edit of DcpList.inf undone"
[[ $(sk tasks list | wc -l) -eq 2 ]] || fail "tasks add undone: $(sk tasks list)"
runs=$(cat "$tmp/run1.err" "$tmp/run2.err" | grep -c 'répertoire introuvable' || true)
[[ $runs -eq 1 && $statuses -eq 1 ]] || fail "the due collection ran $runs times (exit statuses: $statuses failed)"

if [[ $failed -ne 0 ]]; then
    echo "lists_two_programs: FAILED"
    exit 1
fi
echo "lists_two_programs: ok"
