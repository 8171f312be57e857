#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A real full disk: the program folder on a small tmpfs, filled up. A record
# that does not fit is taken back whole and reported; the settings file is
# left as it was and the failure reported; once there is room again, the same
# record and the next save go through cleanly.
#
# Needs the right to mount (root). Where mounting is refused the test says so
# and passes: the same cases run everywhere through the file layer's fault
# seam (tests/scripts/badfile-*-diskfull.script).
#
#   full-disk.sh NUMBELLE_SCRIPT [NUMBELLE_PLATFORM_TESTS]
set -euo pipefail
exe=$1
platform_tests=${2:-}
mnt=$(mktemp -d)
work=$(mktemp -d)
mounted=
cleanup() {
  [ -n "$mounted" ] && umount "$mnt" 2>/dev/null
  rmdir "$mnt" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

if ! mount -t tmpfs -o size=256k,mode=0755 tmpfs "$mnt" 2>/dev/null; then
  echo "cannot mount a tmpfs here; the full disk is covered by the fault seam only"
  exit 0
fi
mounted=1
# Nothing is filled before the mount is confirmed: a failed mount must never
# fill the machine's own disk.
[ "$(findmnt -n -o FSTYPE --target "$mnt")" = tmpfs ] && [ "$(findmnt -n -o TARGET --target "$mnt")" = "$mnt" ] ||
  fail "the folder is not the tmpfs just mounted"

# A record file of 4090 bytes: the next record (" 4 691\r\n", 8 bytes) fits
# in the file's last page only in part.
{
  printf ' 1 %s\r\n' "$(head -c 2000 /dev/zero | tr '\0' '5')"
  printf ' 2 %s\r\n' "$(head -c 2000 /dev/zero | tr '\0' '6')"
  printf ' 3 %s\r\n' "$(head -c $((4090 - 2 * 2005 - 5)) /dev/zero | tr '\0' '7')"
} > "$mnt/datafile.txt"
# A PDF the user saved before (the loan table's printout).
{ printf '%%PDF-1.4\n'; head -c 30000 /dev/urandom | base64; printf '%%%%EOF\n'; } > "$mnt/old.pdf"
cp "$mnt/old.pdf" "$work/old.pdf"
[ "$(stat -c %s "$mnt/datafile.txt")" = 4090 ] || fail "set-up: record file of $(stat -c %s "$mnt/datafile.txt") bytes"
printf ' 0  0  0  0  2  1  5  1  5000  255  800  0  15  0  4.9 \r\n' > "$mnt/savedata.txt"
cp "$mnt/datafile.txt" "$work/datafile.before"
cp "$mnt/savedata.txt" "$work/savedata.before"
dd if=/dev/zero of="$mnt/filler" bs=4k 2>/dev/null || true
[ "$(df --output=avail "$mnt" | tail -1)" -eq 0 ] || fail "the tmpfs did not fill up"

cat > "$work/full" <<'SCRIPT'
print var recordCount
key F2
type "691"
key Enter
print var recordCount
key F2
type "9s"
print messages
print var memoryValue
SCRIPT
"$exe" --dir "$mnt" "$work/full" > "$work/out" 2>/dev/null
cat > "$work/expected" <<'OUT'
recordCount=3
recordCount=3
message=|无法写入数据文件datafile.txt，本条记录未保存。
message=|无法保存设置文件savedata.txt，设置没有保存。
memoryValue=9
OUT
diff -u "$work/expected" "$work/out" || fail "what the user is told on a full disk"
cmp "$work/datafile.before" "$mnt/datafile.txt" || fail "the record file changed on a full disk"
cmp "$work/savedata.before" "$mnt/savedata.txt" || fail "the settings file changed on a full disk"
echo "full disk: the record and the settings were refused whole and reported; both files unchanged"

# A printout saved over the old PDF does not fit: the old one stays whole.
if [ -n "$platform_tests" ]; then
  NUMBELLE_FULL_DISK_DIR=$mnt "$platform_tests" --gtest_filter='*APdfThatDoesNotFitLeavesTheOldFileWhole' \
    > "$work/pdf.out" 2>&1 || { cat "$work/pdf.out"; fail "the PDF on a full disk"; }
  grep -q 'PASSED  \] 1 test' "$work/pdf.out" || fail "the PDF test did not run"
  cmp "$work/old.pdf" "$mnt/old.pdf" || fail "the old PDF changed"
  ls -A "$mnt" | grep -v -x -e datafile.txt -e savedata.txt -e filler -e old.pdf && fail "a PDF part was left behind"
  echo "full disk: a PDF that did not fit left the old one whole"
fi

rm "$mnt/filler"
cat > "$work/room" <<'SCRIPT'
key F2
type "691"
key Enter
key F2
type "9s"
SCRIPT
"$exe" --dir "$mnt" "$work/room" > /dev/null 2>&1
[ "$(tail -c 8 "$mnt/datafile.txt")" = $' 4 691\r' ] || [ "$(tail -c 8 "$mnt/datafile.txt" | od -An -c | tr -s ' ')" = ' 4 6 9 1 \r \n' ] ||
  fail "the record stored with room again: $(tail -c 20 "$mnt/datafile.txt" | od -An -c)"
[ "$(stat -c %s "$mnt/datafile.txt")" = 4098 ] || fail "record file of $(stat -c %s "$mnt/datafile.txt") bytes"
grep -q ' 1  9  1 ' "$mnt/savedata.txt" || fail "the settings saved with room again: $(cat -A "$mnt/savedata.txt")"
echo "with room again: the same record is one clean line and the settings are saved"

# A record that does not fit, then room again in the same session: the
# failure is heard (the warning tone, 105, in place of the equals word),
# equals stores exactly the figure shown, and nothing is glued onto it.
# Three records filling one page exactly: the next one needs a new page.
{
  printf ' 1 %s\r\n' "$(head -c 2000 /dev/zero | tr '\0' '5')"
  printf ' 2 %s\r\n' "$(head -c 2000 /dev/zero | tr '\0' '6')"
  printf ' 3 %s\r\n' "$(head -c 81 /dev/zero | tr '\0' '7')"
} > "$mnt/datafile.txt"
[ "$(stat -c %s "$mnt/datafile.txt")" = 4096 ] || fail "set-up: record file of $(stat -c %s "$mnt/datafile.txt") bytes"
dd if=/dev/zero of="$mnt/filler" bs=4k 2>/dev/null || true
coproc SESSION { "$exe" --dir "$mnt" 2>/dev/null; }
say() { printf '%s\n' "$@" >&"${SESSION[1]}"; }
hear() { local line; IFS= read -r -t 10 line <&"${SESSION[0]}" || fail "the session said nothing"; printf '%s\n' "$line"; }
say 'key F2' 'discard spoken' 'type "4567="' 'print spoken'
[ "$(hear)" = 'spoken=f4 f5 f6 f7 f105' ] || fail "a failed store was not heard as a failure"
rm "$mnt/filler"
say 'type "="' 'print spoken' 'type "8="' 'print var recordCount'
[ "$(hear)" = 'spoken=f23' ] || fail "the stored figure was not heard as stored"
[ "$(hear)" = 'recordCount=5' ] || fail "records counted"
exec {SESSION[1]}>&-
wait "$SESSION_PID" || true
[ "$(tail -c 15 "$mnt/datafile.txt")" = $' 4 4567\r\n 5 8\r' ] ||
  fail "the records after room again: $(tail -c 30 "$mnt/datafile.txt" | od -An -c)"
echo "full disk: a failed store was heard, and with room the same figure alone was stored"

# A damaged settings file on a full disk is never lost: nothing replaces it
# and nothing takes its place; with room again it is kept aside whole.
printf ' 0  0  0  0  2  1  5  1  5000  255  800  0  15  0  abc \r\n' > "$mnt/savedata.txt"
cp "$mnt/savedata.txt" "$work/damaged"
rm -f "$mnt/savedata.txt.bad"
dd if=/dev/zero of="$mnt/filler" bs=4k 2>/dev/null || true
printf 'key F2\nkey F2\ntype "9s"\nprint messages\n' > "$work/damaged-full"
"$exe" --dir "$mnt" "$work/damaged-full" > "$work/out" 2>/dev/null
grep -q '无法保存设置文件' "$work/out" || fail "the failed save was not reported: $(cat "$work/out")"
cmp "$work/damaged" "$mnt/savedata.txt" || fail "the damaged settings file changed on a full disk"
[ ! -e "$mnt/savedata.txt.bad" ] || fail "a part of the damaged file was set aside"
rm "$mnt/filler"
"$exe" --dir "$mnt" "$work/damaged-full" > /dev/null 2>&1
cmp "$work/damaged" "$mnt/savedata.txt.bad" || fail "the damaged file was not kept aside whole"
grep -q ' 1  9  1 ' "$mnt/savedata.txt" || fail "the settings saved with room again: $(cat -A "$mnt/savedata.txt")"
echo "full disk: a damaged settings file stayed whole, then was kept aside"

