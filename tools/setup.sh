#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Lexiclash
# need; does nothing when they are all present.
set -euo pipefail

packages=(
  cmake g++ make
  qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins
  libcurl4-openssl-dev libjpeg62-turbo-dev
  libbenchmark-dev liblz4-dev zlib1g-dev
  fonts-dejavu-core
  scowl wordnet-base
  desktop-file-utils appstream dpkg-dev fakeroot file librsvg2-bin
  lintian devscripts binutils
  libminiupnpc-dev libnatpmp-dev
  miniupnpd-nftables nftables iproute2 procps systemd
  xvfb xauth
)
if [ "${LEXICLASH_WITH_CLANG:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
