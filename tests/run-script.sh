#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one end-to-end script against numbelle-script in a fresh program folder.
#
# A .script file mixes three kinds of lines:
#   $ COMMAND   shell set-up, run in the empty program folder before the program starts
#   > TEXT      a line of the expected output, in order ({folder} in it stands for
#               the program folder)
#   % COMMAND   shell check, run in the program folder after the program has ended;
#               its output follows the program's in the expected output
#   !exit N     the expected exit status (default 0)
#   !env N=V    an environment variable for numbelle-script (e.g. NUMBELLE_FAIL=unreadable,
#               file faults that hold from the program's start)
#   anything else is a numbelle-script command (blank and # lines included).
set -euo pipefail
exe=$1
script=$2
folder=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$folder" "$work"' EXIT

expected_status=0
envs=()
: > "$work/setup.sh"
: > "$work/commands"
: > "$work/expected"
: > "$work/after.sh"
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in
    '$ '*) printf '%s\n' "${line#\$ }" >> "$work/setup.sh" ;;
    '> '*) printf '%s\n' "${line#> }" | sed "s|{folder}|$folder|g" >> "$work/expected" ;;
    '>') printf '\n' >> "$work/expected" ;;
    '% '*) printf '%s\n' "${line#% }" >> "$work/after.sh" ;;
    '!exit '*) expected_status=${line#!exit } ;;
    '!env '*) envs+=("${line#!env }") ;;
    *) printf '%s\n' "$line" >> "$work/commands" ;;
  esac
done < "$script"

(cd "$folder" && bash -e "$work/setup.sh")
status=0
env "${envs[@]}" "$exe" --dir "$folder" "$work/commands" > "$work/actual" 2> "$work/stderr" || status=$?
(cd "$folder" && bash -e "$work/after.sh") >> "$work/actual"
if ! diff -u "$work/expected" "$work/actual"; then
  echo "--- stderr:"; cat "$work/stderr"
  exit 1
fi
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"; cat "$work/stderr"
  exit 1
fi
