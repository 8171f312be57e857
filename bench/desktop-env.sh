# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by bench/startup.sh and bench/voice.sh: a private X server (Xvfb,
# no window manager) and, where PulseAudio is installed, a private sound
# server whose default sink is a null sink, both ended with the script.
#
# Sets DISPLAY, PULSE_SERVER and BENCH_PULSE_PID (the sound server's
# process); BENCH_BIN is the folder of the built programs (NUMBELLE_BUILD/bin,
# default build/bin of this source tree).
#
# Run as root, everything the benchmark starts (the servers and every program
# measured) runs at nice -10, the same for all, so that other work on a shared
# machine weighs less on the figures; BENCH_NICE=0 turns that off.

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BENCH_BIN=${NUMBELLE_BUILD:-$bench_root/build}/bin
bench_tmp=$(mktemp -d /tmp/numbelle-bench-env-XXXXXX)
bench_pids=()

bench_cleanup() {
  local pid
  for pid in "${bench_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$bench_tmp"
}
trap bench_cleanup EXIT
trap 'exit 130' INT TERM

bench_nice=()
if [ "$(id -u)" = 0 ] && [ "${BENCH_NICE:-1}" != 0 ]; then
  bench_nice=(nice -n -10)
fi

bench_need() {
  command -v "$1" >/dev/null || { echo "$1 is not installed (apt-get install $2)" >&2; exit 1; }
}

bench_start_x() {
  bench_need Xvfb xvfb
  local n
  for n in $(seq 140 199); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  "${bench_nice[@]}" Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$bench_tmp/xvfb.log" 2>&1 &
  bench_pids+=($!)
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.05
  done
  [ -e "/tmp/.X11-unix/X$n" ] || { echo "Xvfb did not start:" >&2; cat "$bench_tmp/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$n"
}

# Returns 1 (and says why) where no sound server can run.
bench_start_pulse() {
  if ! command -v pulseaudio >/dev/null || ! command -v pactl >/dev/null; then
    echo "pulseaudio is not installed (apt-get install pulseaudio pulseaudio-utils): no sound server" >&2
    return 1
  fi
  local dir=$bench_tmp/pulse
  mkdir -p "$dir" && chmod 700 "$dir"
  cat >"$dir/default.pa" <<PA
load-module module-null-sink sink_name=bench rate=48000 channels=2
set-default-sink bench
load-module module-native-protocol-unix socket=$dir/native auth-anonymous=1
PA
  HOME=$dir XDG_RUNTIME_DIR=$dir XDG_CONFIG_HOME=$dir \
    "${bench_nice[@]}" pulseaudio -n -F "$dir/default.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --disallow-exit=yes --log-target="file:$dir/log" 2>/dev/null &
  bench_pids+=($!)
  # The benchmarks read the server's processor time from /proc.
  export BENCH_PULSE_PID=$!
  export PULSE_SERVER=unix:$dir/native
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "the private PulseAudio server did not start:" >&2
  cat "$dir/log" >&2 2>/dev/null
  unset PULSE_SERVER
  return 1
}

bench_machine() {
  echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(nproc) cores," \
       "$(free -g | awk '/^Mem:/ {print $2}') GB; $(. /etc/os-release && echo "$PRETTY_NAME");" \
       "Qt $(pkg-config --modversion Qt6Core 2>/dev/null || echo '?'); load $(cut -d' ' -f1-3 /proc/loadavg);" \
       "${bench_nice[*]:-no nice}"
}
