#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Records survive the program being killed. numbelle-script is driven through a
# pipe in entry mode; once a print confirms that the Nth record has been
# stored, the process is killed with SIGKILL, with one more number typed but
# not yet entered. Every record stored before the kill must be in datafile.txt,
# byte for byte, and the next run must go on numbering after them.
set -euo pipefail
exe=$1
records=${2:-25}

folder=$(mktemp -d)
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -9 "$pid" 2>/dev/null || true; fi
  rm -rf "$folder" "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; echo "--- output:"; cat "$work/out" 2>/dev/null || true; echo "--- stderr:"; cat "$work/err" 2>/dev/null || true; exit 1; }

# Waits (up to 20 s) until the output holds the line $1.
wait_for_line() {
  for _ in $(seq 200); do
    grep -qxF -- "$1" "$work/out" && return 0
    kill -0 "$pid" 2>/dev/null || fail "numbelle-script ended early"
    sleep 0.1
  done
  fail "no line '$1'"
}

mkfifo "$work/in"
"$exe" --dir "$folder" < "$work/in" > "$work/out" 2> "$work/err" &
pid=$!
exec 3> "$work/in"

expected=$work/expected
: > "$expected"
echo 'key F2' >&3
for ((i = 1; i <= records; i++)); do
  value=$((i * 7))
  printf 'type "%d"\nkey Enter\n' "$value" >&3
  printf ' %d %d\r\n' "$i" "$value" >> "$expected"
done
# Typed but never entered: not a record.
printf 'print var recordCount\ntype "999"\nprint countform.Label1\n' >&3
wait_for_line "recordCount=$records"
wait_for_line "countform.Label1=999"

# (The braces keep the shell's "Killed" notice out of the test output.)
status=0
{ kill -9 "$pid" && wait "$pid"; } 2>/dev/null || status=$?
pid=
[ "$status" -eq 137 ] || fail "exit status $status after SIGKILL, expected 137"
exec 3>&-

cmp "$expected" "$folder/datafile.txt" || fail "datafile.txt differs from the records entered"

# The next run counts what survived and numbers on.
next=$((records + 1))
out=$(printf 'print var recordCount\nkey F2\ntype "5"\nkey Enter\nprint countform.Label6\n' |
      "$exe" --dir "$folder" 2> "$work/err")
[ "$out" = "recordCount=$records
countform.Label6=$next" ] || fail "after restart: $out"
printf ' %d 5\r\n' "$next" >> "$expected"
cmp "$expected" "$folder/datafile.txt" || fail "record after restart"
echo "ok: $records records survived SIGKILL"
