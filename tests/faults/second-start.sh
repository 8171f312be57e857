#!/usr/bin/env bash
# One desktop program per program folder. A second start on the same folder
# brings the running window to the front and ends at once; after the first is
# killed (its lock left behind), the next start runs normally.
#
#   second-start.sh NUMBELLE
set -euo pipefail
exe=$1
folder=$(mktemp -d)
first=
cleanup() {
  if [ -n "$first" ] && kill -0 "$first" 2>/dev/null; then kill -9 "$first" 2>/dev/null || true; fi
  rm -rf "$folder"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A settings file without any shutdown schedule; the shutdown facility only
# records in any case.
printf ' 0  0  0  0  0  0  0  1  5000  255  800  0  15  0  4.9 \r\n' > "$folder/savedata.txt"
export NUMBELLE_DIR=$folder QT_QPA_PLATFORM=offscreen NUMBELLE_SHUTDOWN_DRY_RUN=1

"$exe" 2>/dev/null &
first=$!
for _ in $(seq 100); do
  [ -e "$folder/.numbelle.lock" ] && break
  kill -0 "$first" 2>/dev/null || fail "the first program ended"
  sleep 0.05
done
[ -e "$folder/.numbelle.lock" ] || fail "no lock file: is the program folder shared?"
sleep 0.3

status=0
out=$(timeout 10 "$exe" 2>&1) || status=$?
[ "$status" = 0 ] || fail "second start ended with status $status: $out"
grep -q "already running" <<<"$out" || fail "second start said: $out"
kill -0 "$first" 2>/dev/null || fail "the first program ended"
echo "a second start brought the first program forward and ended"

# Killed: the lock stays behind, but never blocks the next start.
kill -9 "$first"
wait "$first" 2>/dev/null || true
first=
[ -e "$folder/.numbelle.lock" ] || fail "the killed program left no lock (nothing was tested)"
status=0
timeout 3 "$exe" 2>/dev/null || status=$?
[ "$status" = 124 ] || fail "a start after the kill ended with status $status"
echo "a lock left by a killed program did not block the next start"

# A lock file that cannot be made or opened (here a link to nowhere) does not
# keep the program from starting.
rm -f "$folder/.numbelle.lock"
ln -s /nonexistent/numbelle.lock "$folder/.numbelle.lock"
status=0
timeout 3 "$exe" 2>/dev/null || status=$?
[ "$status" = 124 ] || fail "with a lock that cannot be taken, the start ended with status $status"
echo "a lock that cannot be taken did not keep the program from starting"
