#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Random keystrokes, clicks and timer ticks through numbelle-script, the real
# windows included: the session must run to its end without a fault.
set -euo pipefail
exe=$1
count=${2:-20000}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
printf ' 0  0  0  0  2  0  0  1  5000  255  800  0  15  0  4.9 \r\n' > "$folder/savedata.txt"
awk -v n="$count" 'BEGIN {
  srand(20261208)
  split("0 1 2 3 4 5 6 7 8 9 + - * / = . , z c r s m e x n o v a ( ) q 1 2 3", chars, " ")
  split("0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 28 29 30 32 33 35 37 38", buttons, " ")
  split("Label1 Label4 Label11 Picture1 Label2 Image1", labels, " ")
  split("F1 F2 F3 Enter Backspace Tab Print Left Up", keys, " ")
  for (i = 0; i < n; i++) {
    r = rand()
    if (r < 0.45) printf "type \"%s\"\n", chars[int(rand() * length(chars)) + 1]
    else if (r < 0.75) printf "click countform.Command%s\n", buttons[int(rand() * length(buttons)) + 1]
    else if (r < 0.82) printf "click countform.%s\n", labels[int(rand() * length(labels)) + 1]
    else if (r < 0.90) printf "key %s\n", keys[int(rand() * length(keys)) + 1]
    else if (r < 0.96) print "tick countform.Timer1"
    else if (r < 0.97) print "tick countform.Timer3"
    else if (r < 0.98) print "tray left"
    else print "tick countform.Timer2"
    if (i % 500 == 0) { print "discard spoken"; print "discard events"; print "discard messages" }
  }
  print "print var calcMode"
}' > "$folder/commands"
"$exe" --dir "$folder" "$folder/commands" > "$folder/out" 2>/dev/null
grep -q '^calcMode=' "$folder/out"
echo "$count random commands ran to the end"
