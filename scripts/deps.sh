#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when one is missing.
set -euo pipefail
# Qt 6 Widgets for the windows, the plug-in and skylog-host; the SVG plug-in draws their
# icons; the offscreen platform and a font let the window tests and the screenshots run
# without a display. The install test checks the manual pages, the desktop entry and
# the AppStream description with man, desktop-file-validate and appstreamcli.
packages=(g++ cmake make libgtest-dev libmimalloc-dev qt6-base-dev libqt6svg6 qt6-qpa-plugins
          fonts-dejavu-core man-db desktop-file-utils appstream "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
