#!/usr/bin/env bash
# Measures the real saver in a private Xvfb: processor use, memory and the intervals between
# the frames it presents, the frame periods over a few minutes of play while tunes change,
# beside the cost of one frame's work on the test runtime. Prints
# figures and the targets they are read against; it never passes or fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
warm_up=3
seconds=20

tools/install-packages.sh test
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)"

display=90
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
saver_pid=
scratch=$(mktemp -d)
cleanup() {
  if [[ -n $saver_pid ]]; then kill "$saver_pid" 2>/dev/null || true; fi
  kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# The benchmark never touches the user's own settings.
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data SDL_AUDIODRIVER=dummy
build/tools/record_install_path "$root/build/data/" >/dev/null

# utime + stime in clock ticks; the name field may hold spaces, so fields count from its ')'.
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
memory_mib() { awk -v key="$2:" '$1 == key { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
now() { date +%s.%N; }

build/src/quarlyn /S &
saver_pid=$!
sleep "$warm_up"
if ! kill -0 "$saver_pid" 2>/dev/null; then
  echo "the saver ended during the warm-up; nothing to measure"
else
  build/tests/frame_monitor StakkoSaver "$seconds" >"$scratch/frames.txt" 2>&1 &
  monitor_pid=$!
  ticks_start=$(cpu_ticks "$saver_pid")
  time_start=$(now)
  sleep "$seconds"
  ticks_end=$(cpu_ticks "$saver_pid" 2>/dev/null || echo "?")
  time_end=$(now)
  rss=$(memory_mib "$saver_pid" VmRSS 2>/dev/null || echo "?")
  peak=$(memory_mib "$saver_pid" VmHWM 2>/dev/null || echo "?")
  wait "$monitor_pid" || true

  echo "== the saver in Xvfb ($seconds s after $warm_up s of warm-up)"
  if [[ $ticks_end == "?" ]]; then
    echo "processor: ? (the saver was gone at the end)"
  else
    awk -v ticks=$((ticks_end - ticks_start)) -v hz="$(getconf CLK_TCK)" -v t0="$time_start" -v t1="$time_end" \
      'BEGIN { printf "processor: %.2f %% of one core (target: under 1.5 %% at 20 ms frames)\n", 100 * ticks / hz / (t1 - t0) }'
  fi
  echo "memory: RSS $rss MiB, peak RSS $peak MiB"
  echo "frames (target: interval median 20 ms, 99th percentile under 25 ms):"
  sed 's/^/  /' "$scratch/frames.txt"

  running_before_esc=$(kill -0 "$saver_pid" 2>/dev/null && echo yes || echo no)
  xdotool key Escape
  for _ in $(seq 50); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.1; done
  if [[ $running_before_esc == no ]]; then
    status=0
    wait "$saver_pid" || status=$?
    echo "the saver ended by itself during the measurement (exit status $status)"
  elif kill -0 "$saver_pid" 2>/dev/null; then
    echo "the saver did not end 5 s after Esc; killed"
    kill "$saver_pid"
    wait "$saver_pid" 2>/dev/null || true
  else
    status=0
    wait "$saver_pid" || status=$?
    echo "the saver ended on Esc (exit status $status)"
  fi
  saver_pid=
fi

music_seconds=150
echo "== frame periods over $music_seconds s of play with music, tunes changing (measured inside the saver)"
build/tests/saver_timing "$music_seconds" | sed 's/^/  /'

echo "== one frame's work on the test runtime (target: under 100 us)"
build/tests/quarlyn_bench --benchmark_filter=SaverFrame
