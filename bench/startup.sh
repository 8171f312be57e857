#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up, memory and key-to-repaint of numbelle against a bare Qt 6 window
# and galculator (when installed), on a private Xvfb with a private PulseAudio
# server (where installed), N starts each:
#
#   bench/startup.sh [--runs N] [--keys K] [--settle MS] [--profile]
#                    [--numbelle PATH] [--galculator PATH|none]
#   bench/startup.sh --flood [--runs N] [--keys K]   (memory under a flood of keys)
#
# The figures come from build/bin/numbelle_bench_desktop (see its source for
# every option); NUMBELLE_BUILD names another build folder. --numbelle
# /usr/bin/numbelle measures an installed program.
set -euo pipefail
. "$(dirname "$0")/desktop-env.sh"
bench_start_x
bench_start_pulse || true
bench_machine
"${bench_nice[@]}" "$BENCH_BIN/numbelle_bench_desktop" startup "$@"
