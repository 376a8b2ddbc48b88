#!/bin/sh
# Runs every libFuzzer target built into $1/fuzz for $2 seconds each, starting
# from the checked-in seeds (fuzz/seeds/<target>) and a scratch corpus.
set -eu
dir="$1/fuzz"
seconds="$2"
top="$(cd "$(dirname "$0")/.." && pwd)"
found=0
for f in "$dir"/fuzz_*; do
    [ -x "$f" ] || continue
    found=1
    name="$(basename "$f")"
    work="$1/corpus/$name"
    mkdir -p "$work"
    seeds="$top/fuzz/seeds/$name"
    [ -d "$seeds" ] || seeds=""
    echo "== $name for ${seconds}s"
    "$f" -max_total_time="$seconds" -print_final_stats=1 $( [ -f "$top/fuzz/$name.dict" ] && echo "-dict=$top/fuzz/$name.dict" ) "$work" $seeds
done
[ "$found" = 1 ] || echo "no fuzz targets built"
