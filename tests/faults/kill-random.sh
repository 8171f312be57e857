#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SIGKILL at random moments: nothing acknowledged is ever lost or torn.
#
# Entry: numbelle-script stores records in entry mode, printing the record
# count after each; after a random time it is killed. datafile.txt must then
# hold exactly the records 1..K, each line whole (" N VALUE\r\n"), K at least
# the last count printed and at most one more (stored, not yet printed). The
# next trial goes on in the same folder, numbering after K.
#
# Settings: numbelle-script stores a growing number in the memory (MS) over
# and over, printing it after each store. savedata.txt must always be one
# whole line that reads completely, holding a memory value no older than the
# last one printed.
#
#   kill-random.sh NUMBELLE_SCRIPT [TRIALS]
set -euo pipefail
exe=$1
trials=${2:-20}
folder=$(mktemp -d)
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -9 "$pid" 2>/dev/null || true; fi
  rm -rf "$folder" "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Starts numbelle-script on the folder, fed by a script of N commands, killed
# after a random 20..400 ms.
run_killed() {
  local commands=$1
  "$exe" --dir "$folder" "$commands" > "$work/out" 2> "$work/err" &
  pid=$!
  sleep "0.$(printf '%03d' $((20 + RANDOM % 380)))"
  { kill -9 "$pid" && wait "$pid"; } 2>/dev/null || true
  pid=
}

# --- entry -----------------------------------------------------------------
printf ' 0  0  0  0  0  0  0  1  5000  255  800  0  15  0  4.9 \r\n' > "$folder/savedata.txt"
stored=0
for ((t = 1; t <= trials; t++)); do
  {
    echo 'key F2'
    for ((i = stored + 1; i <= stored + 400; i++)); do
      printf 'type "%d"\nkey Enter\nprint var recordCount\n' $((i * 7))
    done
  } > "$work/commands"
  run_killed "$work/commands"
  acked=$(grep '^recordCount=' "$work/out" | tail -1 | cut -d= -f2 || true)
  acked=${acked:-$stored}
  # Killed before the first record was stored: no record file yet, and
  # nothing may have been acknowledged.
  if [ ! -e "$folder/datafile.txt" ]; then
    [ "$acked" -eq 0 ] || fail "trial $t: $acked records acknowledged, no record file"
    continue
  fi
  # Every line whole and in order: " N 7N\r\n".
  awk 'BEGIN { RS = "\n"; bad = 0 }
       { if ($0 !~ /^ [0-9]+ [0-9]+\r$/) bad = 1; split($0, f, " "); if (f[1] != NR || f[2] != NR * 7 "\r") bad = 1 }
       END { exit bad }' "$folder/datafile.txt" || fail "trial $t: a record is torn or out of order"
  [ -z "$(tail -c 1 "$folder/datafile.txt")" ] || fail "trial $t: the last record has no line end"
  count=$(wc -l < "$folder/datafile.txt")
  [ "$count" -ge "$acked" ] || fail "trial $t: $acked records acknowledged, $count in the file"
  [ "$count" -le $((acked + 1)) ] || fail "trial $t: $count records in the file, only $acked acknowledged"
  stored=$count
done
echo "entry: $trials kills, $stored records, none lost or torn"

# --- settings --------------------------------------------------------------
value=0
for ((t = 1; t <= trials; t++)); do
  {
    printf 'key F2\nkey F2\n'
    for ((i = 1; i <= 300; i++)); do
      printf 'type "z%ds"\nprint var memoryValue\n' $((value + i))
    done
  } > "$work/commands"
  run_killed "$work/commands"
  acked=$(grep '^memoryValue=' "$work/out" | tail -1 | cut -d= -f2 || true)
  acked=${acked:-$value}
  lines=$(tr -cd '\n' < "$folder/savedata.txt" | wc -c)
  [ "$lines" = 1 ] || fail "trial $t: savedata.txt holds $lines line ends"
  line=$(cat "$folder/savedata.txt")
  [[ "$line" =~ ^(\ -?[0-9.E+]+\ ){15}.*$'\r'$ ]] || fail "trial $t: savedata.txt is not one whole record: $(cat -A "$folder/savedata.txt")"
  saved=$(awk '{ print $7 }' "$folder/savedata.txt")
  [ "$saved" -ge "$acked" ] || fail "trial $t: memory $acked acknowledged, $saved saved"
  value=$saved
done
[ "$value" -gt 0 ] || fail "no memory value was ever saved (nothing was tested)"
echo "settings: $trials kills, the settings line always whole and up to date (memory $value)"
