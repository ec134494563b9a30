#!/usr/bin/env bash
# Builds the Debian package lexiclash_<version>_<arch>.deb with
# CPack; its dependencies are computed by dpkg-shlibdeps. BUILD_DIR chooses the
# build folder (default: build-package). The folder is configured for the
# package (-DLEXICLASH_DEBIAN=ON: the flags of dpkg-buildflags, the games in
# games/), without the tests; the programs are stripped in the package. The
# package is written there and its path printed last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
build=${BUILD_DIR:-build-package}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DLEXICLASH_TESTS=OFF -DLEXICLASH_DEBIAN=ON \
  "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/lexiclash_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$(pwd)/$build"/lexiclash_*.deb
