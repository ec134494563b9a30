#!/usr/bin/env bash
# Checks the installable program built in BUILD_DIR (default: build): the menu
# entries and the AppStream metadata validate, an install into a temporary
# prefix holds every file it should, the installed program answers --version;
# then builds the Debian package in PACKAGE_BUILD_DIR (default: build-package,
# with the flags of dpkg-buildflags) and checks that it holds the same files
# with the programs in /usr/games, names its dependencies, passes lintian
# without an error or a warning, and that its programs carry no RUNPATH and
# every hardening feature.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
id=example.lexiclash.Lexiclash
version=$(sed -n 's/^project(Lexiclash VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The programs go into the prefix's bin/, and into /usr/games in the package.
programs=(lexiclash lexiclash-lobby lexiclash-host lexiclash-container)
# The other files an install puts under its prefix, the same in the package's /usr.
expected=(
  "share/applications/$id.desktop" share/applications/example.lexiclash.Lobby.desktop
  "share/metainfo/$id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
  share/man/man6/lexiclash.6.gz share/man/man6/lexiclash-lobby.6.gz share/man/man6/lexiclash-host.6.gz
  lib/systemd/system/lexiclash-host.service share/doc/lexiclash/examples/host.conf
  share/man/man1/lexiclash-container.1.gz
  share/doc/lexiclash/README.md share/doc/lexiclash/copyright share/doc/lexiclash/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done

echo "-- install into a temporary prefix"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
missing=0
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || { echo "missing from the install: $file" >&2; missing=1; }
done
for program in "${programs[@]}"; do
  [ -x "$prefix/bin/$program" ] || { echo "not executable: bin/$program" >&2; missing=1; }
done
for size in 16 22 24 32 48 64 128 256; do
  file -b "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png" |
    grep -q "PNG image data, $size x $size," || { echo "wrong icon size: $size" >&2; missing=1; }
done
[ $missing -eq 0 ]

echo "-- validate the menu entries and the AppStream metadata"
desktop-file-validate "$prefix"/share/applications/*.desktop
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"

echo "-- the installed program, with no display"
answer=$(env -i PATH=/usr/bin:/bin "$prefix/bin/lexiclash" --version)
echo "$answer"
[ "$answer" = "lexiclash $version" ] || { echo "expected: lexiclash $version" >&2; exit 1; }
env -i PATH=/usr/bin:/bin "$prefix/bin/lexiclash" -h | grep -q '^Usage: lexiclash '
status=0
said=$(env -i PATH=/usr/bin:/bin "$prefix/bin/lexiclash" Ann 2>&1) || status=$?
[ $status -eq 1 ] && grep -qx 'lexiclash: cannot open the display' <<<"$said" ||
  { echo "without a display: exit $status, $said" >&2; exit 1; }
[ "$(env -i PATH=/usr/bin:/bin "$prefix/bin/lexiclash-host" --version)" = "lexiclash-host $version" ]

echo "-- the dedicated host's unit"
systemd-analyze security --offline=true --threshold=39 "$prefix/lib/systemd/system/lexiclash-host.service" |
  tail -1

echo "-- the Debian package"
deb=$(BUILD_DIR=${PACKAGE_BUILD_DIR:-build-package} bash tools/package.sh | tail -1)
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "lexiclash_${version}_${arch}.deb" ] ||
  { echo "unexpected package name: $deb" >&2; exit 1; }
dpkg-deb -c "$deb" | awk '{print $1, $3, $6}'
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in "${expected[@]}"; do
  grep -qx "\./usr/$file" <<<"$listing" || { echo "missing from the package: /usr/$file" >&2; missing=1; }
done
for program in "${programs[@]}"; do
  grep -qx "\./usr/games/$program" <<<"$listing" ||
    { echo "missing from the package: /usr/games/$program" >&2; missing=1; }
done
! grep -q '^\./usr/bin/' <<<"$listing" || { echo "programs outside /usr/games" >&2; missing=1; }
[ $missing -eq 0 ]
[ "$(dpkg-deb -f "$deb" Package)" = lexiclash ]
[ "$(dpkg-deb -f "$deb" Section)" = games ]
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for need in libqt6widgets6 libqt6multimedia6 qt6-qpa-plugins; do
  grep -q "$need" <<<"$depends" || { echo "Depends lacks $need" >&2; exit 1; }
done
[ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || { echo "Recommends is not qt6-wayland" >&2; exit 1; }

echo "-- lintian"
lintian -EviIL +pedantic --fail-on error,warning "$deb"

echo "-- the packaged programs: no RUNPATH, every hardening feature"
unpacked=$work/unpacked
dpkg-deb -x "$deb" "$unpacked"
for program in "${programs[@]}"; do
  binary=$unpacked/usr/games/$program
  if readelf -d "$binary" | grep -E '\((RPATH|RUNPATH)\)'; then
    echo "$program carries a search path" >&2
    exit 1
  fi
  # PIE, the stack protector, FORTIFY, RELRO and BIND_NOW, as dpkg-buildflags
  # gives them on Debian 12 (whose flags hold no control-flow protection).
  hardening-check --nocfprotection "$binary"
done
# The menu entries start the programs the package holds in /usr/games.
for entry in "$unpacked"/usr/share/applications/*.desktop; do
  for key in Exec TryExec; do
    command=$(sed -n "s/^$key=\([^ ]*\).*/\1/p" "$entry")
    [[ "$command" == /usr/games/* && -x "$unpacked$command" ]] ||
      { echo "$entry: $key=$command is no program of /usr/games" >&2; exit 1; }
  done
done
echo "-- install checks passed"
