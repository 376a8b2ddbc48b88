#!/bin/sh
# Runs every benchmark program built into $1/bench.
set -eu
dir="$1/bench"
found=0
for b in "$dir"/bench_*; do
    [ -x "$b" ] || continue
    found=1
    echo "== $(basename "$b")"
    (cd "$(dirname "$0")/.." && "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
done
[ "$found" = 1 ] || echo "no benchmarks built"
