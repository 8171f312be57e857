#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A long run of every fuzz target: RUNS inputs each (10 million by default),
# growing a working corpus in BUILD_DIR/fuzz-corpus from the committed seeds.
# Prints each target's executions and time; stops at the first failure and
# leaves the failing input in BUILD_DIR/fuzz-artifacts.
#
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DNUMBELLE_FUZZ=ON -DBUILD_TESTING=OFF
#   cmake --build build-fuzz --target numbelle_fuzz_targets
#   tools/fuzz-long.sh build-fuzz [RUNS] [TARGET...]
set -euo pipefail
build=$1
runs=${2:-10000000}
shift $(( $# >= 2 ? 2 : 1 ))
root=$(cd "$(dirname "$0")/.." && pwd)
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$build"/bin/numbelle_fuzz_*; do targets+=("${exe##*/numbelle_fuzz_}"); done
fi
mkdir -p "$build/fuzz-artifacts"
for name in "${targets[@]}"; do
  mkdir -p "$build/fuzz-corpus/$name"
  dict=()
  [ -f "$root/tests/fuzz/$name.dict" ] && dict=(-dict="$root/tests/fuzz/$name.dict")
  start=$SECONDS
  "$build/bin/numbelle_fuzz_$name" "${dict[@]}" -runs="$runs" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/fuzz-artifacts/" -print_final_stats=1 \
    "$build/fuzz-corpus/$name" "$root/tests/fuzz/corpus/$name" > "$build/fuzz-$name.log" 2>&1
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz-$name.log" | grep -o '[0-9]*$')
  echo "fuzz $name: $execs executions in $((SECONDS - start)) s, no failure"
done
