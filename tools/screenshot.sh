#!/usr/bin/env bash
# Takes a picture of the real main window in a solo game: starts the game
# under a virtual X server, lets the own client log in, types a chat line and
# grabs the window into docs/mainwindow.png (or the file given as $1).
# BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${1:-$root/docs/mainwindow.png}
build=${BUILD_DIR:-build}

need=()
for tool in Xvfb:xvfb xdotool:xdotool import:imagemagick; do
  command -v "${tool%%:*}" >/dev/null || need+=("${tool##*:}")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
bash tools/setup.sh
cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target lexiclash -j"$(nproc)" >/dev/null

. tools/scratch.sh screenshot
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)

export DISPLAY=$display QT_QPA_PLATFORM=xcb
export LEXICLASH_HOME=$work/home LEXICLASH_INSTANCE=screenshot-$$
LEXICLASH_PORT=$(free_port SOCK_STREAM)
export LEXICLASH_PORT
mkdir -p "$work/home"
(cd "$work" && exec "$root/$build/bin/lexiclash") &
pids+=($!)

window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^Lexiclash$' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the main window did not appear" >&2; exit 1; }
sleep 2
# The lobby invitation opens over the solo game; the picture is of the game.
for other in $(xdotool search --name 'Download The Quillmark Lobby' 2>/dev/null); do
  xdotool windowunmap "$other"
done
# Click into the chat entry field (bottom right of the window) and chat.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH - 150)) $((HEIGHT - 42)) click 1
sleep 0.3
xdotool type --delay 40 "Good luck, Klot! Rules at www.quillmark.example"
xdotool key Return
sleep 1.5
mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "wrote $out"
