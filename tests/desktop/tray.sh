#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The tray button of the desktop program on a real X display (Xvfb of its
# own, no window manager), clicked as a person clicks it:
#  - the display has no notification area, as stock GNOME and many window
#    managers: the click leaves the window on the screen (minimising asks the
#    window manager, of which there is none here), never hidden;
#  - a panel takes the system tray selection: the click hides the window;
#  - the panel goes away while the window is hidden: the window comes back.
# The program asks the desktop itself whether a notification area is there.
# Skipped (status 77) where Xvfb, xwininfo or Python are not installed.
#   tray.sh NUMBELLE SOURCE-DIR
set -euo pipefail
exe=$1
source=$2
python=/usr/bin/python3
for tool in Xvfb xwininfo "$python"; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
xclient=$source/tests/desktop/xclient.py

work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  cat "$work/stderr" 2>/dev/null | tail -20
  exit 1
}

# A display of its own, on a number Xvfb finds free.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
[ -s "$work/display" ] || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
export DISPLAY=:$(head -1 "$work/display")

# The desktop program on a new program folder whose settings hold no shutdown
# schedule, its power-off a dry run; no session bus (whose tray would be
# asked instead of the display's), no sound server.
mkdir "$work/folder" "$work/home"
chmod 700 "$work/home"
cp "$source/resources/savedata.txt" "$work/folder/"
[ "$(awk '{ print $4 }' "$work/folder/savedata.txt")" = 0 ] || fail "savedata.txt holds a shutdown schedule"
env -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY HOME="$work/home" XDG_RUNTIME_DIR="$work/home" \
  NUMBELLE_DIR="$work/folder" NUMBELLE_SHUTDOWN_DRY_RUN=1 PULSE_SERVER="unix:$work/no-sound" \
  QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 "$exe" >/dev/null 2>"$work/stderr" &
pids+=($!)

window=
for _ in $(seq 200); do
  window=$(xwininfo -name Numbelle 2>/dev/null | sed -n 's/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p' || true)
  [ -n "$window" ] && xwininfo -id "$window" | grep -q 'IsViewable' && break
  sleep 0.05
done
[ -n "$window" ] || fail "the calculator's window did not appear"
state() { xwininfo -id "$window" | sed -n 's/^ *Map State: //p'; }
# The tray button's middle (240, 210 twips from the window's corner, 360
# twips wide: 16, 14 pixels, 24 wide).
x=$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left X: *//p')
y=$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left Y: *//p')
press_tray_button() { "$python" "$xclient" click $((x + 28)) $((y + 26)); }
# Waits up to three seconds for the window's map state.
wait_state() {
  for _ in $(seq 60); do
    [ "$(state)" = "$1" ] && return 0
    sleep 0.05
  done
  return 1
}

press_tray_button
sleep 1
[ "$(state)" = IsViewable ] || fail "without a notification area the tray button took the window off the screen ($(state))"
echo "no notification area: the tray button left the window on the screen"

# A panel with a notification area comes.
mkfifo "$work/panel"
"$python" "$xclient" tray <"$work/panel" >"$work/panel.out" &
pids+=($!)
exec 4>"$work/panel"
for _ in $(seq 100); do
  grep -q ready "$work/panel.out" 2>/dev/null && break
  sleep 0.05
done
grep -q ready "$work/panel.out" || fail "the panel did not take the tray selection"
press_tray_button
wait_state IsUnMapped || fail "with a notification area the tray button left the window shown ($(state))"
echo "a notification area: the tray button hid the window"

# The panel goes away while the window is hidden.
exec 4>&-
wait_state IsViewable || fail "the notification area went away and the window stayed hidden ($(state))"
echo "the notification area went away: the window came back"
