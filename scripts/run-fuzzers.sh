#!/bin/sh
# Runs every libFuzzer target built into $1/fuzz for $2 seconds each, starting
# from the checked-in seeds (fuzz/seeds/<target>), a scratch corpus, and the
# real-world files of other ECU families beside the repository
# (../shared/realworld, or $TARN_REALWORLD_DIR) when they are there. Those stay
# outside the repository: they are test inputs, not ours to ship.
set -eu
build="$1"
dir="$build/fuzz"
seconds="$2"
top="$(cd "$(dirname "$0")/.." && pwd)"
realworld="${TARN_REALWORLD_DIR:-$top/../shared/realworld}"
found=0
for f in "$dir"/fuzz_*; do
    [ -x "$f" ] || continue
    found=1
    name="$(basename "$f")"
    work="$build/corpus/$name"
    mkdir -p "$work"
    set -- "$work"
    [ -d "$top/fuzz/seeds/$name" ] && set -- "$@" "$top/fuzz/seeds/$name"
    options="-max_total_time=$seconds -print_final_stats=1"
    [ -f "$top/fuzz/$name.dict" ] && options="$options -dict=$top/fuzz/$name.dict"
    case "$name" in
    fuzz_definition)
        # whole real-world files are large: cap what the fuzzer grows from them
        options="$options -max_len=16384"
        [ -d "$realworld/ini" ] && set -- "$@" "$realworld/ini" ;;
    fuzz_datalog)
        [ -d "$realworld/logs" ] && set -- "$@" "$realworld/logs" ;;
    fuzz_textlog|fuzz_binarylog)
        # the real logs reach 1.8 MB; most of what matters sits in their first blocks
        options="$options -max_len=65536"
        [ -d "$realworld/logs" ] && set -- "$@" "$realworld/logs" ;;
    esac
    echo "== $name for ${seconds}s"
    # shellcheck disable=SC2086
    "$f" $options "$@"
done
[ "$found" = 1 ] || echo "no fuzz targets built"
