#!/bin/sh
# Takes a screenshot of the dashboard replaying the bundled sample datalog:
# starts it under its own Xvfb with the File input, lets it play for a few
# seconds and saves the whole frame.
# Usage: screenshot.sh BUILD_DIR OUTPUT.png [WIDTHxHEIGHT [SECONDS]]
set -eu
build="$(cd "$1" && pwd)"
out="$2"
size="${3:-240x320}"
seconds="${4:-4}"
case "$out" in /*) ;; *) out="$(pwd)/$out" ;; esac
mkdir -p "$(dirname "$out")"
top="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d /tmp/tarn-shot-XXXXXX)"
cp "$top"/sample/tarnv3.ini "$top"/sample/datalog.log "$work"/
width="${size%x*}"
height="${size#*x}"

cat >"$work/inner.sh" <<INNER
#!/bin/sh
set -eu
cd "$work"
# Remember nothing of this run, and take nothing remembered.
export XDG_CONFIG_HOME="$work/config"
"$build/app/tarndash" --input file --size $size >/dev/null 2>&1 &
app=\$!
i=0
while ! xdotool search --name '^V3 GUI for WinCE\$' >/dev/null 2>&1 && [ \$i -lt 100 ]; do sleep 0.1; i=\$((i + 1)); done
sleep $seconds
import -window root -crop ${size}+0+0 "$out"
kill \$app
wait \$app 2>/dev/null || true
INNER
chmod +x "$work/inner.sh"
xvfb-run -a -s "-screen 0 $((width + 16))x$((height + 16))x24" "$work/inner.sh"
rm -rf "$work"
echo "wrote $out"
