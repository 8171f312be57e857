#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The whole tree is formatted as .clang-format says: exits 1 and names the
# files clang-format would change.
#
#   tools/check-format.sh [SOURCE_DIR]
set -uo pipefail
cd "${1:-$(dirname "$0")/..}"
command -v clang-format >/dev/null || { echo "no clang-format: skipped"; exit 77; }
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
# shellcheck disable=SC2086
unformatted=$(clang-format --dry-run -Werror $files 2>&1 | grep -E '^[^ ]+:[0-9]+:[0-9]+: error' | cut -d: -f1 | sort -u)
if [ -n "$unformatted" ]; then
  echo "$unformatted"
  echo "these files are not formatted as .clang-format says (clang-format -i FILE)"
  exit 1
fi
echo "every source file is formatted"
