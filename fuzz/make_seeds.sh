#!/usr/bin/env bash
# Writes the seed inputs of fuzz_lzrw1 into DIR: small containers made by the
# container tool and a few block payloads, each behind the fuzzer's mode byte.
# Usage: fuzz/make_seeds.sh TOOL DIR   (TOOL: the built lexiclash-container)
set -euo pipefail
tool=$1
dir=$2
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$dir"

: >"$work/empty"
printf 'abc' >"$work/abc"
printf 'aaaaaaaaaaaaaaaaaaaa' >"$work/a20"
printf 'abcabcabcabc' >"$work/abc4"
# The game's word list, one word per line, as text of 40,000 and 3,000 bytes.
tr -d '\036' <"$root/resources/dict/English.dat" | tr -s ' ' '\n' >"$work/words"
head -c 40000 "$work/words" >"$work/text"
head -c 3000 "$work/text" >"$work/short"
for name in empty abc a20 abc4 text; do
  "$tool" compress "$work/$name" "$work/$name.lzr" >/dev/null
  for mode in 0 1 2; do
    { printf "\\x0$mode"; cat "$work/$name.lzr"; } >"$dir/$name.lzr.$mode"
  done
done
for mode in 0 1 2; do
  { printf "\\x0$mode"; cat "$work/short"; } >"$dir/short.$mode"
done
printf '\x00\x40\xc0\x00\x00\x0f\xef\x7a\x00\x03\x79\x7a' >"$dir/runs"
printf '\x00\x40\x40\x00\x71\x00\x1b' >"$dir/copy"
