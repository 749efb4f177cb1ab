#!/usr/bin/env bash
# Measures the idle configuration window in a private Xvfb: processor use over 30 s with music
# off and with the title tune looping. Prints figures and the target they are read against; it
# never passes or fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
warm_up=3
seconds=30

tools/install-packages.sh test
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target quarlyn record_install_path program_folder

display=90
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
window_pid=
scratch=$(mktemp -d)
cleanup() {
  if [[ -n $window_pid ]]; then kill "$window_pid" 2>/dev/null || true; fi
  kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# The benchmark never touches the user's own settings.
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data XDG_CACHE_HOME=$scratch/cache SDL_AUDIODRIVER=dummy
settings="$XDG_CONFIG_HOME/Dovrane Quarlyn/settings.ini"

# utime + stime in clock ticks; the name field may hold spaces, so fields count from its ')'.
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
now() { date +%s.%N; }

measure() {  # measure LABEL MUSIC_ON
  rm -rf "$XDG_CONFIG_HOME"
  build/tools/record_install_path "$root/build/data/" >/dev/null
  printf 'show_welcome=0\nmusic_on=%s\n' "$2" >>"$settings"
  build/src/quarlyn /C &
  window_pid=$!
  sleep "$warm_up"
  local ticks_start time_start ticks_end time_end
  ticks_start=$(cpu_ticks "$window_pid")
  time_start=$(now)
  sleep "$seconds"
  ticks_end=$(cpu_ticks "$window_pid")
  time_end=$(now)
  awk -v ticks=$((ticks_end - ticks_start)) -v hz="$(getconf CLK_TCK)" -v t0="$time_start" -v t1="$time_end" \
    -v label="$1" 'BEGIN { printf "%s: %.2f %% of one core\n", label, 100 * ticks / hz / (t1 - t0) }'
  kill "$window_pid"
  wait "$window_pid" 2>/dev/null || true
  window_pid=
}

echo "== the idle configuration window in Xvfb ($seconds s after $warm_up s; target: under 0.5 % without music)"
measure "music off" 0
measure "title tune" 1
