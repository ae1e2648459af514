#!/usr/bin/env bash
# Renders the application icon (forms/icons/skylog.svg) into the PNG sizes of the
# hicolor theme, packaging/icons/NxN/skylog.png; run it after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh librsvg2-bin
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "packaging/icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" forms/icons/skylog.svg -o "packaging/icons/${size}x${size}/skylog.png"
done
