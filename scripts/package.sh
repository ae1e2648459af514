#!/usr/bin/env bash
# Builds the Debian package build-deb/packages/skylog_VERSION_ARCH.deb: an optimised
# build (-O2, as Debian builds; stripped when packed) installed under /usr, its
# dependencies read from the binaries by dpkg-shlibdeps.
# Install it with: apt-get install ./build-deb/packages/skylog_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh dpkg-dev file
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DSKYLOG_BUILD_TESTS=OFF -DSKYLOG_BUILD_BENCH=OFF >/dev/null
cmake --build build-deb -j"$(nproc)"
rm -f build-deb/packages/*.deb
(cd build-deb && cpack -G DEB)
ls build-deb/packages/*.deb
