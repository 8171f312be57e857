#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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
ln -s "$folder/missing/numbelle.lock" "$folder/.numbelle.lock"
status=0
timeout 3 "$exe" 2>/dev/null || status=$?
[ "$status" = 124 ] || fail "with a lock that cannot be taken, the start ended with status $status"
echo "a lock that cannot be taken did not keep the program from starting"

# A link (into a folder of this test's own) in the lock's place: the lock is
# not taken through it, so nothing is made where it leads.
rm -f "$folder/.numbelle.lock"
mkdir "$folder/elsewhere"
ln -s "$folder/elsewhere/lock" "$folder/.numbelle.lock"
status=0
timeout 3 "$exe" 2>/dev/null || status=$?
[ "$status" = 124 ] || fail "with a link as the lock, the start ended with status $status"
[ ! -e "$folder/elsewhere/lock" ] || fail "the lock was made through its link"
echo "a link as the lock file was not followed"

# A FIFO the user cannot write in the lock's place never holds the start up.
# Run as an unprivileged user (nobody) in a folder of that user's, since
# root may write any FIFO.
if command -v setpriv >/dev/null && id -u nobody >/dev/null 2>&1; then
  theirs=$(mktemp -d)
  mkfifo -m 0400 "$theirs/.numbelle.lock"
  chown -R nobody: "$theirs"
  NUMBELLE_DIR=$theirs HOME=$theirs setpriv --reuid=nobody --regid=nogroup --clear-groups "$exe" 2>/dev/null &
  first=$!
  sleep 2
  kill -0 "$first" 2>/dev/null || fail "with a FIFO as the lock, the program ended"
  # Waiting for a FIFO's other end, the kernel says so.
  waiting=$(cat "/proc/$first/wchan" 2>/dev/null || true)
  kill -9 "$first"
  wait "$first" 2>/dev/null || true
  first=
  rm -rf "$theirs"
  [ "$waiting" != wait_for_partner ] || fail "the start waited on a FIFO as the lock"
  echo "a FIFO as the lock file did not hold the start up"
fi

# A program folder that other users can write, or that belongs to another
# user, is refused with a message before anything is written there.
refused() { # $1 what, then the folder's set-up
  local what=$1 other
  other=$(mktemp -d)
  shift
  "$@" "$other"
  status=0
  NUMBELLE_DIR=$other timeout 3 "$exe" >/dev/null 2>"$other.err" || status=$?
  # The message box waits for the user: the program is ended by the timeout.
  [ "$status" = 1 ] || [ "$status" = 124 ] || fail "$what: status $status"
  grep -q "$what" "$other.err" || fail "$what: no message: $(cat "$other.err")"
  [ -z "$(ls -A "$other")" ] || fail "$what: files were written: $(ls -A "$other")"
  rm -rf "$other" "$other.err"
}
refused 可以被其他用户写入 chmod 0777
group_writable() { chgrp 65534 "$1" && chmod 0770 "$1"; } # a group that is not the user's own
refused 可以被其他用户写入 group_writable
refused 属于其他用户 chown 65534
echo "program folders other users can write or own were refused"

# Another user listening where a start looks for the running program (here
# root, for a start as nobody, in a temporary folder of this test's own): the
# start never takes that listener's answer for its own program. The folder
# is read-only, so the lock cannot be taken and the start asks the socket.
if command -v setpriv >/dev/null && id -u nobody >/dev/null 2>&1 && [ "$(id -u)" = 0 ]; then
  scratch=$(mktemp -d)
  chmod 0755 "$scratch"
  mkdir -m 1777 "$scratch/tmp"
  mkdir -m 0500 "$scratch/victim"
  chown nobody: "$scratch/victim"
  hash=$(python3 -c 'import hashlib,sys; print(hashlib.sha1(sys.argv[1].encode()).hexdigest()[:16])' "$scratch/victim")
  mkdir -m 0755 "$scratch/tmp/numbelle-$(id -u nobody)"
  python3 - "$scratch/tmp/numbelle-$hash" "$scratch/tmp/numbelle-$(id -u nobody)/numbelle-$hash" \
    "$scratch/heard" <<'LISTENER' &
import os, select, socket, sys
servers = []
for path in sys.argv[1:3]:
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.bind(path)
    os.chmod(path, 0o777)
    s.listen(4)
    servers.append(s)
open(sys.argv[3] + ".ready", "w").close()
while True:
    ready, _, _ = select.select(servers, [], [], 20)
    if not ready:
        break
    for s in ready:
        c, _ = s.accept()
        with open(sys.argv[3], "a") as log:
            log.write("connected\n")
        c.recv(64)
        c.sendall(b"raised\n")
        c.close()
LISTENER
  listener=$!
  for _ in $(seq 50); do [ -e "$scratch/heard.ready" ] && break; sleep 0.1; done
  status=0
  env -u XDG_RUNTIME_DIR TMPDIR="$scratch/tmp" NUMBELLE_DIR="$scratch/victim" HOME="$scratch/victim" \
    timeout 3 setpriv --reuid=nobody --regid=nogroup --clear-groups "$exe" >/dev/null 2>"$scratch/err" || status=$?
  kill "$listener" 2>/dev/null || true
  wait "$listener" 2>/dev/null || true
  heard=$(cat "$scratch/heard" 2>/dev/null || true)
  rm -rf "$scratch"
  [ "$status" = 124 ] || fail "another user's listener ended the start (status $status)"
  echo "another user's listener was never taken for the running program${heard:+ (it was reached)}"
fi
