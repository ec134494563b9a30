#!/usr/bin/env bash
# Renders the PNG icons in dist/icons/ and the two pictures docs/icon-48.png and
# docs/icon-256.png from the hand-drawn dist/icons/example.lexiclash.Lexiclash.svg.
# The PNGs are committed, so building needs no SVG renderer; run this after
# changing the SVG. Needs rsvg-convert (librsvg2-bin, tools/setup.sh installs it).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
svg=dist/icons/example.lexiclash.Lexiclash.svg
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "dist/icons/$size"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "dist/icons/$size/example.lexiclash.Lexiclash.png"
done
cp dist/icons/48/example.lexiclash.Lexiclash.png docs/icon-48.png
cp dist/icons/256/example.lexiclash.Lexiclash.png docs/icon-256.png
echo "wrote dist/icons/*/example.lexiclash.Lexiclash.png, docs/icon-48.png, docs/icon-256.png"
