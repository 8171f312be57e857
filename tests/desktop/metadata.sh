#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry and the AppStream data pass their validators, with
# nothing reported beyond pedantic hints; the manual page is well formed.
#   metadata.sh DESKTOP-FILE METAINFO-FILE MANUAL-PAGE
set -euo pipefail
desktop=$1
metainfo=$2
manual=$3
fail() { echo "FAIL: $*"; exit 1; }

out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate reports: $out"
echo "desktop entry valid"

out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
echo "$out"
# The component names its desktop entry and has screenshots with captions
# and a release.
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
  fail "the AppStream data does not launch $(basename "$desktop")"
[ "$(grep -c '<caption>' "$metainfo")" -ge 3 ] || fail "fewer than three captioned screenshots"
grep -q '<release version="'"${NUMBELLE_VERSION:?}"'"' "$metainfo" || fail "no release $NUMBELLE_VERSION in the AppStream data"

# groff reads the page (compressed or not, UTF-8) without a warning.
if command -v groff >/dev/null; then
  out=$(zcat -f "$manual" | groff -k -man -Tutf8 -ww -z 2>&1) || fail "groff: $out"
  [ -z "$out" ] || fail "groff warns: $out"
  echo "manual page well formed"
fi
