#!/bin/sh
# Takes a screenshot of the dashboard replaying the bundled sample datalog:
# starts it under its own Xvfb, picks "File" in the Select Input menu with
# the keyboard, lets it play for a few seconds and saves the 240 x 320 frame.
# Usage: screenshot.sh BUILD_DIR OUTPUT.png [SECONDS]
set -eu
build="$(cd "$1" && pwd)"
out="$2"
seconds="${3:-4}"
case "$out" in /*) ;; *) out="$(pwd)/$out" ;; esac
top="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d /tmp/tarn-shot-XXXXXX)"
cp "$top"/sample/tarnv3.ini "$top"/sample/datalog.log "$work"/

cat >"$work/inner.sh" <<INNER
#!/bin/sh
set -eu
cd "$work"
"$build/app/tarndash" &
app=\$!
i=0
while ! xdotool search --name '^V3 GUI for WinCE\$' >/dev/null 2>&1 && [ \$i -lt 100 ]; do sleep 0.1; i=\$((i + 1)); done
win=\$(xdotool search --name '^V3 GUI for WinCE\$' | head -1)
sleep 0.5
# "Select Input" is the third menu title; "File" is the third item below it.
xdotool mousemove 130 12 click 1
sleep 0.6
xdotool mousemove 130 87 click 1
sleep $seconds
import -window root -crop 240x320+0+0 "$out"
kill \$app
wait \$app 2>/dev/null || true
INNER
chmod +x "$work/inner.sh"
xvfb-run -a -s "-screen 0 800x600x24" "$work/inner.sh"
rm -rf "$work"
echo "wrote $out"
