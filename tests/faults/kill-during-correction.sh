#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SIGKILL while the record viewer corrects records: the record file is always
# the old one or the new one, whole, never a part of either.
#
# datafile.txt holds 150,000 records " N 7N" (each correction rewrites the
# whole file, a fraction of a second). numbelle-script deletes the first
# record over and over, printing the record count after each; after a random
# time it is killed. The file must then hold the records k+1..150000 whole and
# renumbered 1..150000-k, for a k no smaller than the deletions acknowledged
# and at most one more; datafile.txt.bak, when there is one, is the file as it
# was when the run began. The next trial goes on from what is left.
#
#   kill-during-correction.sh NUMBELLE_SCRIPT [TRIALS]
set -euo pipefail
exe=$1
trials=${2:-8}
records=150000
folder=$(mktemp -d)
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -9 "$pid" 2>/dev/null || true; fi
  rm -rf "$folder" "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

seq 1 "$records" | awk '{ printf " %d %d\r\n", $1, $1 * 7 }' > "$folder/datafile.txt"
{
  echo 'click countform.Command29'
  echo 'click Form1.RichTextBox1 1'
  for ((i = 0; i < 200; i++)); do printf 'key Delete\nprint var recordCount\n'; done
} > "$work/commands"

deleted=0
for ((t = 1; t <= trials; t++)); do
  cp "$folder/datafile.txt" "$work/before"
  rm -f "$folder/datafile.txt.bak"
  "$exe" --dir "$folder" "$work/commands" > "$work/out" 2> "$work/err" &
  pid=$!
  sleep "$((RANDOM % 2)).$(printf '%03d' $((RANDOM % 1000)))"
  { kill -9 "$pid" && wait "$pid"; } 2>/dev/null || true
  pid=
  left=$(grep '^recordCount=' "$work/out" | tail -1 | cut -d= -f2 || true)
  acked=$((records - ${left:-$((records - deleted))}))
  # Whole and renumbered: line n is " n 7(n+k)" for one k.
  k=$(awk 'NR == 1 { print $2 / 7 - 1 }' "$folder/datafile.txt")
  awk -v k="$k" 'BEGIN { bad = 0 } { if ($0 != " " NR " " (NR + k) * 7 "\r") bad = 1 } END { exit bad }' \
    "$folder/datafile.txt" || fail "trial $t: datafile.txt is torn or misnumbered"
  [ -z "$(tail -c 1 "$folder/datafile.txt")" ] || fail "trial $t: the last record has no line end"
  [ "$(wc -l < "$folder/datafile.txt")" -eq $((records - k)) ] || fail "trial $t: records missing at the end"
  [ "$k" -ge "$acked" ] || fail "trial $t: $acked deletions acknowledged, $k made"
  [ "$k" -le $((acked + 1)) ] || fail "trial $t: $k deletions made, only $acked acknowledged"
  if [ -e "$folder/datafile.txt.bak" ]; then
    cmp -s "$work/before" "$folder/datafile.txt.bak" || fail "trial $t: datafile.txt.bak is not the file before"
  fi
  deleted=$k
done
[ "$deleted" -gt 0 ] || fail "no correction was ever made (nothing was tested)"
echo "corrections: $trials kills, $deleted records deleted, the file always whole and numbered 1..N"
