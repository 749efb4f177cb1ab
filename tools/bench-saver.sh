#!/usr/bin/env bash
# Measures the real saver in a private Xvfb at 1024x768, side by side in one run: quiet (music
# and effects off), with the default music heard for the first time (synthesized, and rendered
# into the tune cache meanwhile), with the default music heard before (played from the cache),
# and the floor (a bare FLTK window moving a square 50 times a second). For each: processor use of the program and of the X server, memory, the
# loop period and allocations per frame; then the cost of one frame's work on the test runtime.
# Prints figures and the targets they are read against; it never passes or fails.
#
#   tools/bench-saver.sh [SECONDS]   (measured seconds per column, after a warm-up; default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
warm_up=3
seconds=${1:-20}

tools/install-packages.sh test
cmake -S . -B build >/dev/null
cmake --build build -j4 --target saver_timing floor_window quarlyn_bench record_install_path program_folder \
  fill_tune_cache >/dev/null

display=90
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
program_pid=
scratch=$(mktemp -d)
cleanup() {
  if [[ -n $program_pid ]]; then kill "$program_pid" 2>/dev/null || true; fi
  kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
export DISPLAY=":$display" SDL_AUDIODRIVER=dummy
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# utime + stime in clock ticks; the name field may hold spaces, so fields count from its ')'.
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
# Voluntary context switches of the program's threads, each one a sleep that a wake-up ends: all
# of them, or those of SDL's sound thread. Threads that end within the window go uncounted.
count_sleeps() { awk '$1 == "voluntary_ctxt_switches:" { n += $2 } END { print n + 0 }'; }
wake_ups() { cat /proc/"$1"/task/*/status 2>/dev/null | count_sleeps; }
sound_wake_ups() {
  local task
  for task in /proc/"$1"/task/*; do
    if [[ $(cat "$task/comm" 2>/dev/null) == SDLAudioP* ]]; then cat "$task/status" 2>/dev/null; fi
  done | count_sleeps
}
memory_mib() { awk -v key="$2:" '$1 == key { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
now() { date +%s.%N; }
percent() { awk -v ticks="$1" -v hz="$(getconf CLK_TCK)" -v t="$2" 'BEGIN { printf "%.2f", 100 * ticks / hz / t }'; }

# A settings store of its own for each column; the benchmark never touches the user's settings.
settings() {  # settings NAME [KEY=VALUE...]
  export XDG_CONFIG_HOME=$scratch/$1/config XDG_DATA_HOME=$scratch/$1/data XDG_CACHE_HOME=$scratch/$1/cache
  shift
  build/tools/record_install_path "$root/build/data/" >/dev/null
  local key
  for key in "$@"; do printf '%s\n' "$key" >>"$XDG_CONFIG_HOME/Dovrane Quarlyn/settings.ini"; done
}

# measure NAME COMMAND...: runs the command (which ends by itself after the measurement) and
# writes NAME.saver, NAME.server, NAME.rss, NAME.wakeups and NAME.out in the scratch folder.
measure() {
  local name=$1
  shift
  "$@" >"$scratch/$name.out" 2>&1 &
  program_pid=$!
  sleep "$warm_up"
  local ticks=$(cpu_ticks "$program_pid") server=$(cpu_ticks "$xvfb_pid") start=$(now)
  local woken=$(wake_ups "$program_pid") sound_woken=$(sound_wake_ups "$program_pid")
  sleep "$seconds"
  local ticks_end=$(cpu_ticks "$program_pid") server_end=$(cpu_ticks "$xvfb_pid") elapsed
  local woken_end=$(wake_ups "$program_pid") sound_woken_end=$(sound_wake_ups "$program_pid")
  elapsed=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')
  awk -v all=$((woken_end - woken)) -v sound=$((sound_woken_end - sound_woken)) -v t="$elapsed" \
    'BEGIN { printf "%.0f/%.0f\n", all / t, sound / t }' >"$scratch/$name.wakeups"
  memory_mib "$program_pid" VmRSS >"$scratch/$name.rss"
  percent $((ticks_end - ticks)) "$elapsed" >"$scratch/$name.saver"
  percent $((server_end - server)) "$elapsed" >"$scratch/$name.server"
  wait "$program_pid" || true
  program_pid=
}

run_for=$((warm_up + seconds + 2))
settings quiet music_on=0 soundfx_on=0
measure quiet build/tests/saver_timing "$run_for"
settings music
measure music build/tests/saver_timing "$run_for"
settings cached
build/tests/fill_tune_cache build/data/music*.mid
measure cached build/tests/saver_timing "$run_for"
measure floor build/tests/floor_window "$run_for"

field() {  # field NAME PATTERN: the figure after PATTERN in NAME.out
  sed -n "s/.*$2 \([0-9.]*\).*/\1/p" "$scratch/$1.out" | head -n 1
}
echo "== the saver in Xvfb 1024x768 ($seconds s after $warm_up s of warm-up)"
printf '%-34s %10s %10s %10s %10s   %s\n' "" quiet "music new" "music kept" floor target
row() {  # row LABEL QUIET MUSIC CACHED FLOOR TARGET
  printf '%-34s %10s %10s %10s %10s   %s\n' "$1" "${2:-?}" "${3:-?}" "${4:-?}" "${5:-?}" "$6"
}
figures() {  # figures EXTENSION: that figure of each column
  local name
  for name in quiet music cached floor; do echo "$(cat "$scratch/$name.$1")"; done
}
row "program processor (% of a core)" $(figures saver) "quiet <= 0.7, music <= 1.5"
row "X server processor (% of a core)" $(figures server) "quiet <= 0.3"
row "RSS (MiB)" $(figures rss) "quiet <= 25, music <= 35"
row "wake-ups a second (all/sound)" $(figures wakeups) "sound: one per mixer buffer, 31"
row "loop period p99 (ms)" "$(field quiet '99th percentile')" "$(field music '99th percentile')" \
  "$(field cached '99th percentile')" "-" "20"
row "allocations per frame" "$(field quiet 'allocations per frame:')" "$(field music 'allocations per frame:')" \
  "$(field cached 'allocations per frame:')" "-" "0"

echo "== one frame's work on the test runtime (target: 6-8 us or lower)"
build/tests/quarlyn_bench --benchmark_filter=SaverFrame
