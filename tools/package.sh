#!/usr/bin/env bash
# Builds the Debian package lexiclash_<version>_<arch>.deb with CPack; its
# dependencies are computed by dpkg-shlibdeps. BUILD_DIR chooses the build
# folder (default: build-package, built like the test suite's normal build but
# without the tests; the programs are stripped in the package); the package is
# written there and its path printed last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
build=${BUILD_DIR:-build-package}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DLEXICLASH_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/lexiclash_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$(pwd)/$build"/lexiclash_*.deb
