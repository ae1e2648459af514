#!/usr/bin/env bash
# CI smoke test of the fuzz targets: installs clang 14 and its runtime when missing,
# builds every target, makes the seed corpora and runs each target for
# SKYLOG_FUZZ_SMOKE_SECONDS (30 by default). Exits non-zero on a finding (crash,
# sanitizer report, broken invariant, timeout, out-of-memory) or a build failure.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
seconds="${SKYLOG_FUZZ_SMOKE_SECONDS:-30}"

bash "$here/../scripts/deps.sh" clang-14 libclang-rt-14-dev
bash "$here/build.sh"
bash "$here/make_corpus.sh"
SKYLOG_FUZZ_NO_BUILD=1 bash "$here/run.sh" all "$seconds"
echo "fuzz smoke: no finding"
