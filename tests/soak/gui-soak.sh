#!/bin/sh
# The dashboard itself for GUI_SOAK_SECONDS (default 600) under Xvfb, with the
# ECU simulator on a pseudo-terminal: the input is switched between ECU and
# File every GUI_SOAK_SWITCH seconds (30) through the menu, with keys as a
# user would press them, and the dashboard's resident memory, descriptors and
# threads and the debug log's size on disk are sampled every
# GUI_SOAK_SAMPLE seconds (5). Prints a table; fails when
#   - resident memory grew by more than GUI_SOAK_RSS_KIB (2048) after the
#     first ECU and File periods (the warm-up),
#   - descriptors or threads (GLib's pool threads, which come and go by
#     themselves, aside) at the end of a period differ from the end of the
#     first period of the same input,
#   - the debug log held more than twice its limit (GUI_SOAK_LOG_LIMIT,
#     the dashboard's 8 MiB by default),
#   - a switch did not take, or the dashboard ended.
# Usage: gui-soak.sh [BUILD_DIR]
set -eu
build="${1:-build}"
top="$(cd "$(dirname "$0")/../.." && pwd)"
case "$build" in /*) ;; *) build="$top/$build" ;; esac
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$build"
fi
seconds="${GUI_SOAK_SECONDS:-600}"
period="${GUI_SOAK_SWITCH:-30}"
every="${GUI_SOAK_SAMPLE:-5}"
rss_bound="${GUI_SOAK_RSS_KIB:-2048}"
limit="${GUI_SOAK_LOG_LIMIT:-8388608}"
for tool in xdotool; do
    command -v "$tool" >/dev/null || { echo "gui-soak: $tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done

work="$(mktemp -d /tmp/tarn-gui-soak-XXXXXX)"
cp "$top/sample/tarnv3.ini" "$top/sample/datalog.log" "$work/"
# Remembered choices of this run only.
export XDG_CONFIG_HOME="$work/config"
conf="$XDG_CONFIG_HOME/tarndash/tarndash.conf"
sim_pid=""
dash_pid=""
cleanup() {
    for p in $dash_pid $sim_pid; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

"$build/tools/tarn-ecu-sim/tarn-ecu-sim" --ini "$work/tarnv3.ini" --link "$work/ecu-link" \
    --log "$work/sim.log" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
i=0
while [ ! -e "$work/ecu-link" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
[ -e "$work/ecu-link" ] || { echo "gui-soak: the simulator did not start" >&2; exit 2; }

cd "$work"
"$build/app/tarndash" --port "$work/ecu-link" --input ecu --log-limit "$limit" \
    >"$work/dash.out" 2>"$work/dash.err" &
dash_pid=$!
window="$(timeout 30 xdotool search --sync --onlyvisible --pid "$dash_pid" 2>/dev/null | head -1 || true)"
[ -n "$window" ] || { echo "gui-soak: no dashboard window" >&2; cat "$work/dash.err" >&2; exit 2; }

field() { awk -v k="$1:" '$1 == k { print $2 }' "/proc/$dash_pid/status"; }
fds() { ls "/proc/$dash_pid/fd" | wc -l; }
# GLib's pool threads come and go by themselves: not counted.
threads() { cat /proc/"$dash_pid"/task/*/comm 2>/dev/null | grep -vc '^pool-' || true; }
file_bytes() { if [ -f "$1" ]; then wc -c <"$1"; else echo 0; fi; }
log_bytes() { echo $(($(file_bytes "$work/filelog.txt") + $(file_bytes "$work/filelog.txt.1"))); }

# Chooses "ECU" (1) or "File" (2) in the Select Input menu and waits until
# the dashboard has remembered the choice.
switch_to() {
    xdotool mousemove --window "$window" 120 160
    xdotool key --clearmodifiers alt+s
    sleep 0.5
    xdotool key Home
    n=0
    while [ $n -lt "$1" ]; do xdotool key Down; n=$((n + 1)); done
    xdotool key Return
    want=$([ "$1" = 1 ] && echo ecu || echo file)
    i=0
    while [ $i -lt 30 ]; do
        grep -qx "input=$want" "$conf" 2>/dev/null && return 0
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}

echo "| t s | input | RSS KiB | fds | threads | debug log bytes |"
echo "|---:|---|---:|---:|---:|---:|"
failed=0
fail() { failed=$((failed + 1)); echo "FAIL $*" >>"$work/failures"; }
input=ecu
t=0
warm_rss=""
max_rss=0
max_log=0
periods=0
base_ecu=""
base_file=""
end_of_period() {
    # Descriptors and threads at the end of a period, against the first period of the input.
    now="$(fds) $(threads)"
    if [ "$input" = ecu ]; then
        [ -n "$base_ecu" ] || base_ecu="$now"
        [ "$now" = "$base_ecu" ] || fail "at ${t} s (ECU): descriptors and threads $now, first ECU period $base_ecu"
    else
        [ -n "$base_file" ] || base_file="$now"
        [ "$now" = "$base_file" ] || fail "at ${t} s (File): descriptors and threads $now, first File period $base_file"
    fi
}
while :; do
    if ! kill -0 "$dash_pid" 2>/dev/null; then
        fail "the dashboard ended at ${t} s"
        break
    fi
    rss=$(field VmRSS)
    logb=$(log_bytes)
    echo "| $t | $input | $rss | $(fds) | $(threads) | $logb |"
    [ "$logb" -le "$max_log" ] || max_log=$logb
    if [ -n "$warm_rss" ] && [ "$rss" -gt "$max_rss" ]; then max_rss=$rss; fi
    [ "$t" -lt "$seconds" ] || { end_of_period; break; }
    sleep "$every"
    t=$((t + every))
    if [ $((t % period)) -eq 0 ] && [ "$t" -lt "$seconds" ]; then
        end_of_period
        periods=$((periods + 1))
        if [ "$periods" -eq 2 ]; then warm_rss=$(field VmRSS); max_rss=$warm_rss; fi
        if [ "$input" = ecu ]; then next=2; input=file; else next=1; input=ecu; fi
        switch_to "$next" || fail "at ${t} s: the switch to $input did not take"
    fi
done

echo "Warm-up: the first ECU and File periods ($((2 * period)) s). RSS at warm-up ${warm_rss:-?} KiB, largest after ${max_rss} KiB; descriptors threads at the end of the first periods: ECU ${base_ecu:-?}, File ${base_file:-?}; debug log at most $max_log bytes (limit $limit)."
if [ -n "$warm_rss" ] && [ $((max_rss - warm_rss)) -gt "$rss_bound" ]; then
    fail "resident memory grew by $((max_rss - warm_rss)) KiB after the warm-up (bound $rss_bound)"
fi
if [ "$limit" -gt 0 ] && [ "$max_log" -gt $((2 * limit)) ]; then
    fail "the debug log held $max_log bytes on disk (limit $limit)"
fi
if [ "$failed" -gt 0 ]; then
    cat "$work/failures"
    exit 1
fi
echo "gui soak passed"
