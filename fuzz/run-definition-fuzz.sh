#!/bin/sh
# Longer runs of the definition file fuzzer than `make fuzz` gives: seeds from
# fuzz/seeds/fuzz_definition plus the real-world definition files beside the
# repository (../shared/realworld/ini) when they are there. Inputs are capped
# at 16 KiB so that a run is not spent on copies of whole real-world files.
# Usage: fuzz/run-definition-fuzz.sh [SECONDS] [BUILD_DIR]   (after `make fuzz`)
set -eu
seconds="${1:-300}"
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${2:-$top/build-fuzz}"
work="$build/corpus/fuzz_definition"
mkdir -p "$work"
extra=""
[ -d "$top/../shared/realworld/ini" ] && extra="$top/../shared/realworld/ini"
exec "$build/fuzz/fuzz_definition" -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 \
    -dict="$top/fuzz/fuzz_definition.dict" "$work" "$top/fuzz/seeds/fuzz_definition" $extra
