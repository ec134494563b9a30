#!/usr/bin/env bash
# Runs the game benchmarks of two builds side by side in one run, taking
# turns round by round (the order swapped every round), so both see the same
# machine load: the server's word latency against its echo floor, and the
# real program's start-up, memory and CPU. Each build needs bench_wordlatency,
# bench_process and lexiclash in its bin/ (configure with -DLEXICLASH_BENCH=ON).
#
#   bench/game/compare_builds.sh BEFORE_BUILD AFTER_BUILD [ROUNDS] [SAMPLES]
set -euo pipefail

before=${1:?usage: compare_builds.sh BEFORE_BUILD AFTER_BUILD [ROUNDS] [SAMPLES]}
after=${2:?usage: compare_builds.sh BEFORE_BUILD AFTER_BUILD [ROUNDS] [SAMPLES]}
rounds=${3:-3}
samples=${4:-1000}
export QT_QPA_PLATFORM=offscreen

for build in "$before" "$after"; do
    for program in bench_wordlatency bench_process lexiclash; do
        if [ ! -x "$build/bin/$program" ]; then
            echo "compare_builds: $build/bin/$program is missing" >&2
            exit 1
        fi
    done
done

run_one() {
    local label=$1 build=$2
    echo "-- $label ($build)"
    "$build/bin/bench_wordlatency" "$samples" 25 | grep -E '^(echo|TServer)' || true
    "$build/bin/bench_process" 1 | grep -E '^(CPU|median)' || true
}

echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq 1 "$rounds"); do
    echo "== round $round"
    if [ $((round % 2)) -eq 1 ]; then
        run_one before "$before"
        run_one after "$after"
    else
        run_one after "$after"
        run_one before "$before"
    fi
done
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
