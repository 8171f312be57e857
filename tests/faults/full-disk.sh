#!/usr/bin/env bash
# A real full disk: the program folder on a small tmpfs, filled up. A record
# that does not fit is taken back whole and reported; the settings file is
# left as it was and the failure reported; once there is room again, the same
# record and the next save go through cleanly.
#
# Needs the right to mount (root). Where mounting is refused the test says so
# and passes: the same cases run everywhere through the file layer's fault
# seam (tests/scripts/badfile-*-diskfull.script).
#
#   full-disk.sh NUMBELLE_SCRIPT
set -euo pipefail
exe=$1
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
