#!/usr/bin/env bash
# Builds one fuzz target (or all) and runs it for SECONDS.
#   fuzz/run.sh TARGET SECONDS     e.g. fuzz/run.sh fuzz_reader 300
#   fuzz/run.sh all SECONDS        every target in turn
# Corpus: fuzz/corpus/<target>/ (made by make_corpus.sh when missing, grown by the
# run) plus the committed seeds in fuzz/seeds/<target>/. Findings (crash-*, leak-*,
# timeout-*, oom-*) land in fuzz/findings/<target>/. Exit status: 0 without finding,
# non-zero otherwise. Extra libFuzzer flags: SKYLOG_FUZZ_FLAGS.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${SKYLOG_FUZZ_BUILD:-$here/../build-fuzz}"
targets=(fuzz_reader fuzz_decode fuzz_k7file fuzz_evenement fuzz_inifile fuzz_asso fuzz_managers fuzz_hostdata)

if [ $# -ne 2 ] || ! [[ "$2" =~ ^[0-9]+$ ]]; then
  echo "usage: fuzz/run.sh TARGET|all SECONDS   (targets: ${targets[*]})" >&2
  exit 2
fi
if [ "$1" = all ]; then
  selected=("${targets[@]}")
else
  selected=("$1")
  [[ " ${targets[*]} " == *" $1 "* ]] || { echo "fuzz: unknown target $1" >&2; exit 2; }
fi

# SKYLOG_FUZZ_NO_BUILD=1 runs what is built (two runs side by side share one build).
if [ -z "${SKYLOG_FUZZ_NO_BUILD:-}" ]; then
  bash "$here/build.sh" "${selected[@]}" fuzz_make_corpus >/dev/null
fi
[ -d "$here/corpus" ] || bash "$here/make_corpus.sh" >/dev/null

status=0
for target in "${selected[@]}"; do
  corpus="$here/corpus/$target"
  findings="$here/findings/$target"
  mkdir -p "$corpus" "$findings"
  dirs=("$corpus")
  [ -d "$here/seeds/$target" ] && dirs+=("$here/seeds/$target")
  echo "== $target for $2 s"
  # Leaks are findings too; UBSan reports stop the run (the build does not recover).
  if ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
     "$build/fuzz/$target" -max_total_time="$2" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$findings/" -print_final_stats=1 ${SKYLOG_FUZZ_FLAGS:-} "${dirs[@]}" \
       >"$findings/last-run.log" 2>&1; then
    grep -E "^(Done|stat::number_of_executed_units)" "$findings/last-run.log" || true
  else
    status=1
    echo "fuzz: $target FOUND A FAULT; log $findings/last-run.log" >&2
    grep -E "ERROR|SUMMARY|invariant|Test unit written" "$findings/last-run.log" | head -20 >&2 || true
  fi
done
exit $status
