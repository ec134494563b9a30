#!/usr/bin/env bash
# Tries the Debian package on a fresh, minimal Debian 12: bootstraps a bookworm
# root (debootstrap), installs the package there with `apt install ./...deb`,
# checks the programs, the menu entries and the icon, then starts the game the
# way its menu entry does, as an ordinary user under a virtual X server, takes
# a picture of the screen and checks that the tally went to the user's
# ~/.config/lexiclash/. Needs root (chroot) and the network's Debian mirror.
# Usage: tools/try_package.sh DEB [PICTURE]   (default PICTURE: a temporary file)
# BOOKWORM_ROOT names an already bootstrapped root to copy instead of a new one;
# DISPLAY_NUMBER the X display to use (default 99). The game's own variables
# (LEXICLASH_PORT, LEXICLASH_LOBBY_PORT, LEXICLASH_DISCOVERY_PORT and every
# other LEXICLASH_*) are passed through to it, so that it can run on private
# ports beside another game.
set -euo pipefail
deb=$(realpath "$1")
picture=${2:-}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
display=:${DISPLAY_NUMBER:-99}
[ "$(id -u)" -eq 0 ] || { echo "needs root, for chroot" >&2; exit 2; }
for tool in debootstrap:debootstrap Xvfb:xvfb xdotool:xdotool import:imagemagick; do
  command -v "${tool%%:*}" >/dev/null ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${tool##*:}"
done

work=$(mktemp -d)
root=$work/root
xvfb=""
# Never removes anything while a folder of the host is still mounted inside.
cleanup() {
  set +e
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  for mount in tmp/.X11-unix dev/pts dev proc; do
    if mountpoint -q "$root/$mount" 2>/dev/null; then
      umount "$root/$mount" || umount -l "$root/$mount"
    fi
  done
  if grep -q " $work/" /proc/mounts; then
    echo "left $work in place: something is still mounted in it" >&2
    return
  fi
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT

if [ -n "${BOOKWORM_ROOT:-}" ]; then
  cp -a "$BOOKWORM_ROOT" "$root"
else
  debootstrap --variant=minbase bookworm "$root" "$mirror" >/dev/null
fi
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
# Debian's PATH for users, /usr/games included.
user_path=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin:/usr/games HOME=/root "$@"; }
# The game's variables of the caller, as NAME=VALUE words for env.
game_env=()
while IFS= read -r name; do
  game_env+=("$name=${!name}")
done < <(compgen -e | grep '^LEXICLASH_' || true)

echo "-- apt install ./$(basename "$deb") on a fresh bookworm root"
cp "$deb" "$root/tmp/"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./tmp/$(basename "$deb")" |
  tail -3
in_root dpkg -s lexiclash | grep -E '^(Status|Version|Depends):'

echo "-- the installed programs, menu entries and icon"
for program in lexiclash lexiclash-lobby lexiclash-container; do
  in_root "$program" --version
done
for entry in example.lexiclash.Lexiclash example.lexiclash.Lobby; do
  exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$entry.desktop")
  icon=$(sed -n 's/^Icon=//p' "$root/usr/share/applications/$entry.desktop")
  in_root sh -c "command -v ${exec_line%% *}" >/dev/null
  ls "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg"
done
in_root lexiclash -h | head -1

echo "-- the menu entry's command, as an ordinary user under X"
in_root useradd --create-home player
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -dpi 96 >/dev/null 2>&1 &
xvfb=$!
mkdir -p "$root/tmp/.X11-unix"
sleep 1
kill -0 "$xvfb" 2>/dev/null || { echo "no X server on $display (taken?)" >&2; xvfb=""; exit 1; }
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
game_command=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/example.lexiclash.Lexiclash.desktop")
chroot "$root" env -i PATH="$user_path" HOME=/home/player USER=player DISPLAY="$display" \
  "${game_env[@]}" setpriv --reuid=player --regid=player --init-groups sh -c "cd && exec $game_command" &
game=$!
window=""
for _ in $(seq 300); do
  window=$(DISPLAY=$display xdotool search --name '^Lexiclash$' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the game's window did not appear" >&2; exit 1; }
sleep 3
[ -n "$picture" ] && DISPLAY=$display import -window root "$picture" && echo "picture: $picture"
# The game closes its window on SIGTERM, as on "Exit".
kill -TERM "$game"
wait "$game" || true
ls -l "$root/home/player/.config/lexiclash/"
[ -f "$root/home/player/.config/lexiclash/Lexiclashtally.tld" ]
! ls "$root/usr/games" | grep -e tally.tld -e quillmarklobby.ini
# The word list went to the runtime folder, not the folder the game started in.
[ ! -e "$root/home/player/English" ]
echo "-- the package works on a fresh Debian 12"
