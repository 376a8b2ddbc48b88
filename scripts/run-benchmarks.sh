#!/bin/sh
# Runs every benchmark program built into $1/bench (under Xvfb when there is
# no display, for the ones that draw).
set -eu
dir="$(cd "$1" && pwd)/bench"
cd "$(dirname "$0")/.."
found=0
for b in "$dir"/bench_*; do
    [ -x "$b" ] || continue
    found=1
    echo "== $(basename "$b")"
    case "$(basename "$b")" in
    bench_gui_*)
        if [ -z "${DISPLAY:-}" ]; then
            xvfb-run -a -s "-screen 0 1024x768x24" "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
            continue
        fi ;;
    esac
    "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
done
[ "$found" = 1 ] || echo "no benchmarks built"
