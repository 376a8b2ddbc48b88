#!/bin/sh
# Starts the dashboard in a working folder that holds the bundled sample files,
# with the ECU simulator on a pseudo-terminal standing in for the serial port.
# Stopping the dashboard stops the simulator.
set -eu
build="${1:-build}"
top="$(cd "$(dirname "$0")/.." && pwd)"
case "$build" in /*) ;; *) build="$top/$build" ;; esac
work="$build/run"
mkdir -p "$work"
cp "$top"/sample/tarnv3.ini "$top"/sample/datalog.log "$work"/
cd "$work"

sim_pid=""
sim="$build/tools/tarn-ecu-sim/tarn-ecu-sim"
if [ -x "$sim" ]; then
    link="$work/ecu-link"
    "$sim" --ini tarnv3.ini --link "$link" >"$work/ecu-sim.out" 2>"$work/ecu-sim.err" &
    sim_pid=$!
    i=0
    while [ ! -e "$link" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    export TARN_SERIAL_PORT="$link"
fi
cleanup() { if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi; wait 2>/dev/null || true; }
trap cleanup EXIT INT TERM

shift 2>/dev/null || true
# Its exit status is the script's: without a display it fails, and says why.
"$build/app/tarndash" "$@"
