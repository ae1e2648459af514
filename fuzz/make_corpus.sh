#!/usr/bin/env bash
# Writes the seed corpora into fuzz/corpus/<target>/ from the test-data generator and
# the sample data (generated sets with the sample's beacons, blocks and K7 files of
# their import, the sample's events, .inf files and host data).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${SKYLOG_FUZZ_BUILD:-$here/../build-fuzz}"
bash "$here/build.sh" fuzz_make_corpus >/dev/null
ASAN_OPTIONS=detect_leaks=0 "$build/fuzz/fuzz_make_corpus" "$here/corpus"
