#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The display Label1 tells assistive technology of its changes: on an Xvfb
# display, with a session and an accessibility bus of its own, a listener on
# the accessibility bus (as a screen reader) hears the display's name change
# while keys are typed, and the last name it hears says what the display
# shows ("显示屏：12+3=15"). Skipped (status 77) where Xvfb, the accessibility
# bus or its Python binding are not installed.
#   announce.sh NUMBELLE-SCRIPT SOURCE-DIR
set -euo pipefail
exe=$1
source=$2
python=/usr/bin/python3
for tool in Xvfb dbus-run-session "$python"; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
"$python" -c 'import pyatspi' 2>/dev/null || { echo "no pyatspi: skipped"; exit 77; }
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "no accessibility bus: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source/resources/savedata.txt" "$work/"
mkdir "$work/folder"
cp "$source/resources/savedata.txt" "$work/folder/"

cat >"$work/session.sh" <<SESSION
set -euo pipefail
display=:\$((110 + RANDOM % 80))
Xvfb "\$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=\$!
trap 'kill \$xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=\$display QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$python" "$source/tests/desktop/announce-listener.py" "$work/heard" "显示屏：12+3=15" 30 >"$work/listener" &
listener=\$!
for _ in \$(seq 100); do grep -q ready "$work/listener" 2>/dev/null && break; sleep 0.1; done
{ echo "wait 2000"; echo "focus countform.Command22"; echo 'type "12+3="'; echo "wait 1000"
  for _ in \$(seq 100); do grep -q '12+3=15' "$work/heard" 2>/dev/null && break; sleep 0.2; done
} | "$exe" --show --dir "$work/folder" >/dev/null 2>"$work/stderr"
wait \$listener
SESSION
timeout 60 dbus-run-session -- bash "$work/session.sh" 2>"$work/session.err" || true

display=$(grep -c '|object:property-change:accessible-name|显示屏' "$work/heard" 2>/dev/null || true)
if [ "${display:-0}" -lt 1 ]; then
  echo "FAIL: the listener heard no change of the display"
  cat "$work/heard" "$work/session.err" "$work/stderr" 2>/dev/null | tail -20
  exit 1
fi
grep -q '|显示屏：12+3=15$' "$work/heard" || { echo "FAIL: the display's last name was not heard"; tail -5 "$work/heard"; exit 1; }
echo "the display's changes were heard $display times on the accessibility bus"
