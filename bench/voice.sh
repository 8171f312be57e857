#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Key to voice: in process (key event -> first buffer at the sound server) and
# end to end (XTEST key press -> first sample of the word on a null sink's
# monitor), on a private Xvfb with a private PulseAudio server, and the
# server's processor time a key:
#
#   bench/voice.sh [KEYS]      (default 300 in process, KEYS / 5 end to end)
#
# NUMBELLE_BUILD names another build folder than build/.
set -euo pipefail
. "$(dirname "$0")/desktop-env.sh"
keys=${1:-300}
bench_start_x
bench_start_pulse || exit 1
bench_machine
"${bench_nice[@]}" "$BENCH_BIN/numbelle_bench_voice" "$keys"
"${bench_nice[@]}" "$BENCH_BIN/numbelle_bench_desktop" voice --keys $((keys / 5)) --cuts $((keys / 10))
