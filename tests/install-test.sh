#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program starts from any directory: it prepares its per-user
# program folder from the installed defaults and runs there.  A sound file or
# face picture left there by an earlier version is replaced by the installed
# one; a sound file of the user's own is kept.
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
data=$(mktemp -d)
older=$(mktemp -d)
own=$(mktemp -d)
trap 'rm -rf "$prefix" "$data" "$older" "$own"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
test -f "$prefix/share/applications/numbelle.desktop"
test -f "$prefix/share/icons/hicolor/256x256/apps/numbelle.png"

# The desktop program itself runs here, so it must never switch this machine
# off: its power-off only reports what it would do (NUMBELLE_SHUTDOWN_DRY_RUN),
# and every program folder it starts on is new, its settings seeded from the
# installed savedata.txt, which holds no shutdown schedule (item 4 is 0).
export NUMBELLE_SHUTDOWN_DRY_RUN=1
no_schedule() {
  local mode
  mode=$(awk '{ print $4 }' "$1")
  [ "$mode" = 0 ] || { echo "$1 holds a shutdown schedule (mode '$mode')"; exit 1; }
}
no_schedule "$prefix/share/numbelle/savedata.txt"
for folder in "$data" "$own" "$older"; do
  [ ! -e "$folder/numbelle/savedata.txt" ] || { echo "$folder is not new"; exit 1; }
done

# The modules (sound, spreadsheet, printing) are installed together.
modules=$(find "$prefix" -name 'libnumbelle-sound.so' -printf '%h\n')
[ -n "$modules" ] || { echo "the sound module is not installed"; exit 1; }
for m in numbelle-sound numbelle-xlsx numbelle-print; do
  test -f "$modules/lib$m.so" || { echo "module $m is not installed beside the sound module"; exit 1; }
done

cd /
status=0
env -u NUMBELLE_DIR QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$data" timeout 3 "$prefix/bin/numbelle" \
  2>"$prefix/stderr" || status=$?
# Still running after three seconds: it started and stayed up.
[ "$status" = 124 ] || { echo "numbelle ended with status $status"; exit 1; }
# Once its window had painted it loaded the sound module from where it is
# installed (a module that cannot be loaded is said on standard error).
if grep -q 'numbelle-sound' "$prefix/stderr"; then
  echo "the installed program could not load its sound module:"
  cat "$prefix/stderr"
  exit 1
fi
# Every default file is installed and seeded into the new program folder.
grep -v '^#' "$source/resources/default-files.txt" | while IFS= read -r f; do
  [ -n "$f" ] || continue
  cmp "$source/resources/$f" "$prefix/share/numbelle/$f"
  cmp "$prefix/share/numbelle/$f" "$data/numbelle/$f"
done
# The per-user program folder and what it holds are the user's own.
[ "$(stat -c %a "$data/numbelle")" = 700 ] || { echo "program folder is $(stat -c %a "$data/numbelle"), expected 700"; exit 1; }
for f in "$data"/numbelle/*; do
  [ "$(stat -c %a "$f")" = 600 ] || { echo "$f is $(stat -c %a "$f"), expected 600"; exit 1; }
done
echo "installed program started from / and prepared $data/numbelle"

# Starts the installed program on the per-user data folder $1 for two seconds.
start_on() {
  local status=0
  [ ! -e "$1/numbelle/savedata.txt" ] || no_schedule "$1/numbelle/savedata.txt"
  env -u NUMBELLE_DIR QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$1" timeout 2 "$prefix/bin/numbelle" 2>/dev/null || status=$?
  [ "$status" = 124 ] || { echo "numbelle ended with status $status"; return 1; }
}

mkdir -p "$own/numbelle"
head -c 4000 /dev/urandom >"$own/numbelle/dansheng109.wav"
cp "$own/numbelle/dansheng109.wav" "$own/mine.wav"
chmod 0755 "$own/numbelle"
start_on "$own"
cmp "$own/mine.wav" "$own/numbelle/dansheng109.wav"
echo "a sound file of the user's own was kept"
[ "$(stat -c %a "$own/numbelle")" = 700 ] || { echo "a wider program folder stayed $(stat -c %a "$own/numbelle")"; exit 1; }

# Every earlier shipped sound file and face picture, from the history when
# there is one, gives way to the installed one.
for file in dansheng109.wav countface107.jpg; do
  checked=0
  for commit in $(git -C "$source" log --format=%H -- "resources/$file" 2>/dev/null); do
    rm -rf "$older/numbelle"
    mkdir -p "$older/numbelle"
    git -C "$source" show "$commit:resources/$file" >"$older/numbelle/$file" 2>/dev/null || continue
    cmp -s "$older/numbelle/$file" "$prefix/share/numbelle/$file" && continue
    start_on "$older"
    cmp "$prefix/share/numbelle/$file" "$older/numbelle/$file" || { echo "$file of $commit was not replaced"; exit 1; }
    checked=$((checked + 1))
  done
  echo "$checked earlier shipped $file replaced"
done
