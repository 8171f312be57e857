#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop program's command line: --help and --version answer and end
# before a display, a program folder or a window is touched (no display is
# there and the program folder named is never created); a wrong option or
# argument gets the usage on standard error and status 2; Qt's own options
# pass; without options the program starts as always.
set -euo pipefail
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# No display at all, and a display platform that would need one.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb NUMBELLE_DIR="$work/folder" \
    NUMBELLE_SHUTDOWN_DRY_RUN=1 "$exe" "$@" >"$work/out" 2>"$work/err"
}
untouched() { [ ! -e "$work/folder" ] || fail "$1 touched the program folder"; }

for opt in --version -v; do
  run "$opt" || fail "$opt ended with status $?: $(cat "$work/err")"
  [ "$(cat "$work/out")" = "numbelle ${NUMBELLE_VERSION:?}" ] || fail "$opt printed: $(cat "$work/out")"
  [ ! -s "$work/err" ] || fail "$opt wrote to standard error: $(cat "$work/err")"
  untouched "$opt"
done

for opt in --help -h; do
  run "$opt" || fail "$opt ended with status $?"
  grep -q '^Usage: numbelle ' "$work/out" || fail "$opt printed no usage"
  grep -q -- '--version' "$work/out" || fail "$opt does not name --version"
  grep -q 'numbelle(1)' "$work/out" || fail "$opt does not point to the manual page"
  [ ! -s "$work/err" ] || fail "$opt wrote to standard error"
  untouched "$opt"
done

# Qt's options and their values pass, wherever they stand.
run -platform offscreen --version || fail "-platform offscreen --version failed"
[ "$(cat "$work/out")" = "numbelle ${NUMBELLE_VERSION:?}" ] || fail "-platform offscreen --version printed $(cat "$work/out")"
run --style=fusion -reverse --version || fail "--style=fusion -reverse --version failed"

for args in "--bogus" "-x" "datafile.txt" "--version=2" "-platform" "--help-all"; do
  status=0
  # shellcheck disable=SC2086
  run $args || status=$?
  [ "$status" = 2 ] || fail "'$args' ended with status $status, expected 2"
  [ ! -s "$work/out" ] || fail "'$args' wrote to standard output"
  grep -q '^numbelle: ' "$work/err" || fail "'$args' did not say what is wrong: $(cat "$work/err")"
  grep -q '^Usage: numbelle ' "$work/err" || fail "'$args' printed no usage"
  untouched "'$args'"
done
echo "--help, --version and wrong options answer without a window"

# Without options it starts as before (a new program folder, no schedule).
status=0
env QT_QPA_PLATFORM=offscreen NUMBELLE_DIR="$work/folder" NUMBELLE_SHUTDOWN_DRY_RUN=1 timeout 3 "$exe" \
  >"$work/out" 2>"$work/err" || status=$?
[ "$status" = 124 ] || fail "the program without options ended with status $status: $(cat "$work/err")"
[ -d "$work/folder" ] || fail "the program without options made no program folder"
[ ! -s "$work/out" ] || fail "the program wrote to standard output: $(cat "$work/out")"
echo "without options the calculator starts"
