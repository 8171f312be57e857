#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the start-up does not need stays out of the desktop program: the sound
# server's libraries, Qt Print Support, the spreadsheet writer and libzip come from
# modules loaded when first needed, and nothing needs Qt Network or Qt
# Multimedia. This check reads the libraries the built program and its
# modules name, and finds the modules where the program looks for them.
#
#   tests/platform/startup-libraries.sh NUMBELLE MODULE_DIR
set -euo pipefail
exe=$1
modules=$2

needed() { # the shared libraries a file names; readelf failing stops the check
  local out
  out=$(readelf -d "$1") || { echo "readelf failed on $1" >&2; exit 2; }
  sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' <<<"$out"
}

program=$(needed "$exe")
grep -q '^libQt6Widgets' <<<"$program" || { echo "readelf shows no Qt Widgets in $exe: cannot check"; exit 2; }
for lib in libQt6Multimedia libQt6PrintSupport libQt6Network libxlsxwriter libpulse libzip; do
  if grep -q "^$lib" <<<"$program"; then
    echo "$exe loads $lib at start-up"
    exit 1
  fi
done

check_module() { # module, a library it must bring
  [ -f "$modules/lib$1.so" ] || { echo "no module $1 in $modules"; exit 1; }
  grep -q "^$2" <<<"$(needed "$modules/lib$1.so")" || { echo "module $1 does not bring $2"; exit 1; }
}
check_module numbelle-sound libpulse
check_module numbelle-xlsx libxlsxwriter
check_module numbelle-print libQt6PrintSupport
check_module numbelle-zip libzip
echo "numbelle starts with Qt Widgets only; sound, spreadsheet, printing and zip archives are modules in $modules"
