#!/usr/bin/env bash
# Checks the layout of src/, then sets up, builds and runs the whole test
# suite twice: a normal build, then a build with AddressSanitizer and
# UndefinedBehaviorSanitizer; last the core alone, without the windows.
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

echo "== layout =="
bash tools/check_layout.sh

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
unset ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
echo "== core without the windows =="
run_suite build-core -DLEXICLASH_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
