#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A smoke run of the desktop benchmarks with the smallest counts: both run to
# their end and print their figures. Nothing about the figures themselves is
# checked: benchmarks measure, tests do not time. Skipped (77) where the
# benchmark driver was not built or Xvfb is missing.
#
#   tests/bench-smoke.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source=$1
build=$2
[ -x "$build/bin/numbelle_bench_desktop" ] || { echo "numbelle_bench_desktop not built"; exit 77; }
command -v Xvfb >/dev/null || { echo "Xvfb not installed"; exit 77; }
export NUMBELLE_BUILD=$build BENCH_NICE=0
fail() { echo "FAIL: $*"; exit 1; }

out=$("$source/bench/startup.sh" --runs 1 --keys 2 --settle 300 --galculator none 2>&1) || fail "startup.sh: $out"
for line in "numbelle        mapped" "first start     mapped" "bare Qt window  mapped" "RSS after start-up, numbelle / bare" \
  "first drawing, first start / numbelle"; do
  grep -qF "$line" <<<"$out" || fail "startup.sh printed no '$line':"$'\n'"$out"
done
echo "startup.sh ran"

out=$("$source/bench/startup.sh" --flood --keys 40 --settle 300 2>&1) || fail "startup.sh --flood: $out"
grep -qF "RSS after the second flood" <<<"$out" || fail "startup.sh --flood printed no memory:"$'\n'"$out"
echo "startup.sh --flood ran"

out=$("$source/bench/startup.sh" --idle --runs 1 --seconds 1 --settle 300 2>&1) || fail "startup.sh --idle: $out"
grep -qF "numbelle        wake-ups a second" <<<"$out" || fail "startup.sh --idle printed no wake-ups:"$'\n'"$out"
echo "startup.sh --idle ran"

if command -v pulseaudio >/dev/null && command -v parec >/dev/null; then
  out=$("$source/bench/voice.sh" 10 2>&1) || fail "voice.sh: $out"
  for line in "first key, right after the paint" "in silence:" "cutting a word:" "wake-ups a key"; do
    grep -qF "$line" <<<"$out" || fail "voice.sh printed no '$line':"$'\n'"$out"
  done
  echo "voice.sh ran"
else
  echo "voice.sh skipped: no PulseAudio"
fi
