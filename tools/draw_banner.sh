#!/usr/bin/env bash
# Draws resources/dialogs/banner.jpg, the lobby download window's banner.
# Needs qt6-base-dev and libjpeg62-turbo-dev (tools/setup.sh installs both).
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O1 -fPIC tools/draw_banner.cpp -o "$work/draw_banner" \
  $(pkg-config --cflags --libs Qt6Gui) -ljpeg
QT_QPA_PLATFORM=offscreen "$work/draw_banner" resources/dialogs/banner.jpg
echo "wrote resources/dialogs/banner.jpg"
