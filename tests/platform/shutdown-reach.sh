#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Only the desktop program can switch the computer off. Its power-off command
# line is written once, in app/main_desktop.cpp, and the facility that runs it
# (DesktopShutdown) takes the command from its caller. This check reads what
# the built programs contain:
#   - no program but numbelle holds the text of the power-off command (as
#     Latin-1 or UTF-16 bytes), so no test and no scripted session can name it;
#   - numbelle-script and every test program links no DesktopShutdown, except
#     the facility's own test, which gives it harmless commands only;
#   - numbelle holds both, so the check can see them where they are.
#
#   tests/platform/shutdown-reach.sh BIN_DIR
set -euo pipefail
bin=$1
words=(poweroff systemctl)
facility=DesktopShutdown
own_test=numbelle_desktopshutdown_tests

# Whether the file holds the word as Latin-1 or as UTF-16LE bytes. A grep
# that fails (status 2) stops the check: it must never pass by not looking.
contains_text() {
  local utf16 status=0
  utf16=$(printf '%s' "$2" | sed 's/./&\\x00/g')
  LC_ALL=C grep -qaP "$2|$utf16" "$1" || status=$?
  [ "$status" -le 1 ] || { echo "grep failed on $1" >&2; exit 2; }
  return "$status"
}
links_facility() {
  local symbols
  symbols=$(nm -C "$1") || { echo "nm failed on $1" >&2; exit 2; }
  grep -q "$facility" <<<"$symbols"
}

bad=0
checked=0
for exe in "$bin"/*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue
  name=$(basename "$exe")
  checked=$((checked + 1))
  if [ "$name" = numbelle ]; then
    for w in "${words[@]}"; do
      contains_text "$exe" "$w" || { echo "numbelle does not hold \"$w\": the check cannot see it"; bad=1; }
    done
    links_facility "$exe" || { echo "numbelle links no $facility"; bad=1; }
    continue
  fi
  for w in "${words[@]}"; do
    if contains_text "$exe" "$w"; then
      echo "$name holds \"$w\": only numbelle may name the power-off"
      bad=1
    fi
  done
  if [ "$name" != "$own_test" ] && links_facility "$exe"; then
    echo "$name links $facility: only numbelle and $own_test may"
    bad=1
  fi
done
[ -x "$bin/numbelle-script" ] || { echo "no numbelle-script in $bin"; bad=1; }
[ -x "$bin/numbelle" ] || { echo "no numbelle in $bin"; bad=1; }
[ "$bad" = 0 ] && echo "$checked programs: the power-off is reachable from numbelle only"
exit "$bad"
