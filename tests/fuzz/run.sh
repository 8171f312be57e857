#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target of BUILD_DIR for RUNS inputs, starting from its
# committed seed corpus (read only: new inputs go to a scratch folder). Fails
# on the first broken property or sanitizer report.
#
#   tests/fuzz/run.sh BUILD_DIR RUNS
set -euo pipefail
build=$1
runs=$2
here=$(cd "$(dirname "$0")" && pwd)
# A small freed-memory quarantine keeps the sanitizer's memory flat over long runs.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for exe in "$build"/bin/numbelle_fuzz_*; do
  name=${exe##*/numbelle_fuzz_}
  mkdir -p "$scratch/$name"
  dict=()
  [ -f "$here/$name.dict" ] && dict=(-dict="$here/$name.dict")
  start=$SECONDS
  if ! "$exe" "${dict[@]}" -runs="$runs" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$scratch/" -print_final_stats=0 \
       "$scratch/$name" "$here/corpus/$name" > "$scratch/$name.log" 2>&1; then
    tail -40 "$scratch/$name.log"
    echo "FAIL: fuzz target $name"
    exit 1
  fi
  echo "fuzz $name: $runs inputs, $((SECONDS - start)) s"
done
