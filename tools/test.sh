#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite twice: a normal build, then a
# build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
jobs=$(nproc)
root=$(pwd)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs")
}

export QT_QPA_PLATFORM=offscreen
echo "== normal build =="
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
echo "== install and package checks =="
BUILD_DIR=build bash tools/check_install.sh
echo "== sanitizer build =="
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DLEXICLASH_SANITIZE=ON -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
