#!/usr/bin/env bash
# Checks the installable program built in BUILD_DIR (default: build): the menu
# entries and the AppStream metadata validate, an install into a temporary
# prefix holds every file it should, the installed program answers --version,
# and the Debian package holds the same files and names its dependencies.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
id=example.lexiclash.Lexiclash
version=$(sed -n 's/^project(Lexiclash VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The files an install puts under its prefix, the same in the package's /usr.
expected=(
  bin/lexiclash bin/lexiclash-lobby bin/lexiclash-container
  "share/applications/$id.desktop" share/applications/example.lexiclash.Lobby.desktop
  "share/metainfo/$id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
  share/man/man6/lexiclash.6 share/man/man6/lexiclash-lobby.6
  share/man/man1/lexiclash-container.1
  share/doc/lexiclash/README.md share/doc/lexiclash/LICENSE share/doc/lexiclash/WORDNET-LICENSE
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
for program in lexiclash lexiclash-lobby lexiclash-container; do
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

echo "-- the Debian package"
deb=$(BUILD_DIR=$build bash tools/package.sh | tail -1)
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "lexiclash_${version}_${arch}.deb" ] ||
  { echo "unexpected package name: $deb" >&2; exit 1; }
dpkg-deb -c "$deb" | awk '{print $1, $3, $6}'
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in "${expected[@]}"; do
  grep -qx "\./usr/$file" <<<"$listing" || { echo "missing from the package: /usr/$file" >&2; missing=1; }
done
[ $missing -eq 0 ]
[ "$(dpkg-deb -f "$deb" Package)" = lexiclash ]
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for need in libqt6widgets6 libqt6multimedia6 qt6-qpa-plugins; do
  grep -q "$need" <<<"$depends" || { echo "Depends lacks $need" >&2; exit 1; }
done
echo "-- install checks passed"
