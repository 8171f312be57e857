#!/usr/bin/env bash
# The installed program starts from any directory: it prepares its per-user
# program folder from the installed defaults and runs there.
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
data=$(mktemp -d)
trap 'rm -rf "$prefix" "$data"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
test -f "$prefix/share/applications/numbelle.desktop"
test -f "$prefix/share/icons/hicolor/256x256/apps/numbelle.png"
cd /
status=0
env -u NUMBELLE_DIR QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$data" timeout 3 "$prefix/bin/numbelle" 2>/dev/null || status=$?
# Still running after three seconds: it started and stayed up.
[ "$status" = 124 ] || { echo "numbelle ended with status $status"; exit 1; }
# Every default file is installed and seeded into the new program folder.
grep -v '^#' "$source/resources/default-files.txt" | while IFS= read -r f; do
  [ -n "$f" ] || continue
  cmp "$source/resources/$f" "$prefix/share/numbelle/$f"
  cmp "$prefix/share/numbelle/$f" "$data/numbelle/$f"
done
echo "installed program started from / and prepared $data/numbelle"
