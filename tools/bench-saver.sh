#!/usr/bin/env bash
# Measures the real saver in a private Xvfb at 1024x768, side by side in one run: quiet (music
# and effects off), with 24-megapixel camera photos as all ten backgrounds (quiet otherwise),
# with the default music heard for the first time (synthesized, and rendered into the tune cache
# meanwhile), with the default music heard before (played from the cache), and the floor (a bare
# FLTK window moving a square 50 times a second). For each: processor use of the program and of
# the X server, memory, the loop period, the longest frame-loop gap and allocations per frame;
# then the cost of one frame's work on the test runtime. The columns run in interleaved rounds
# and each figure is the median over the rounds, so load from elsewhere falls on all columns
# alike. Prints figures and the targets they are read against; it never passes or fails.
#
#   tools/bench-saver.sh [SECONDS] [ROUNDS]   (measured seconds per column, after a warm-up;
#                                              default 20; rounds default 1)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
warm_up=3
seconds=${1:-20}
rounds=${2:-1}

tools/install-packages.sh test
cmake -S . -B build >/dev/null
cmake --build build -j4 --target saver_timing floor_window quarlyn_bench record_install_path program_folder \
  fill_tune_cache write_photos >/dev/null

display=${BENCH_DISPLAY:-90}  # the first free display from this one
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
  rm -rf "$XDG_CONFIG_HOME"
  shift
  build/tools/record_install_path "$root/build/data/" >/dev/null
  local key
  for key in "$@"; do printf '%s\n' "$key" >>"$XDG_CONFIG_HOME/Dovrane Quarlyn/settings.ini"; done
}

# measure NAME COMMAND...: runs the command (which ends by itself after the measurement) and
# writes NAME.saver, NAME.server, NAME.rss, NAME.wakeups, NAME.sound_wakeups and NAME.out in the
# scratch folder.
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
  awk -v n=$((woken_end - woken)) -v t="$elapsed" 'BEGIN { printf "%.0f\n", n / t }' >"$scratch/$name.wakeups"
  awk -v n=$((sound_woken_end - sound_woken)) -v t="$elapsed" 'BEGIN { printf "%.0f\n", n / t }' \
    >"$scratch/$name.sound_wakeups"
  memory_mib "$program_pid" VmRSS >"$scratch/$name.rss"
  percent $((ticks_end - ticks)) "$elapsed" >"$scratch/$name.saver"
  percent $((server_end - server)) "$elapsed" >"$scratch/$name.server"
  wait "$program_pid" || true
  program_pid=
}

run_for=$((warm_up + seconds + 2))
photos=$scratch/photos
mkdir -p "$photos"
build/tests/write_photos "$photos" 10
photo_settings=()
for i in $(seq 10); do photo_settings+=("Gfiles$i=$photos/photo$i.jpg"); done
entry=11
for name in bonus bricks gameover next numbers score grid hiscore; do
  photo_settings+=("Gfiles$entry=$root/build/data/$name.bmp")
  entry=$((entry + 1))
done
cache_filled=
for round in $(seq "$rounds"); do
  settings quiet music_on=0 soundfx_on=0
  measure "quiet.$round" build/tests/saver_timing "$run_for"
  settings photo music_on=0 soundfx_on=0 "${photo_settings[@]}"
  measure "photo.$round" build/tests/saver_timing "$run_for"
  rm -rf "$scratch/music"
  settings music
  measure "music.$round" build/tests/saver_timing "$run_for"
  settings cached
  if [[ -z $cache_filled ]]; then build/tests/fill_tune_cache build/data/music*.mid; cache_filled=1; fi
  measure "cached.$round" build/tests/saver_timing "$run_for"
  measure "floor.$round" build/tests/floor_window "$run_for"
done

median() {  # median FIGURE...: the middle figure (the mean of the two middle ones), "?" when none
  printf '%s\n' "$@" | grep -E '^[0-9.]+$' | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) print "?"; else if (NR % 2) print v[(NR + 1) / 2];
                               else printf "%.2f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
field() {  # field NAME PATTERN: the median over the rounds of the figure after PATTERN in NAME.*.out
  local round values=()
  for round in $(seq "$rounds"); do
    values+=("$(sed -n "s/.*$2 \([0-9.]*\).*/\1/p" "$scratch/$1.$round.out" | head -n 1)")
  done
  median "${values[@]}"
}
figure() {  # figure NAME EXTENSION: the median over the rounds of that figure of NAME
  local round values=()
  for round in $(seq "$rounds"); do values+=("$(cat "$scratch/$1.$round.$2")"); done
  median "${values[@]}"
}
columns=(quiet photo music cached floor)
echo "== the saver in Xvfb 1024x768 ($seconds s after $warm_up s of warm-up; medians of $rounds rounds)"
printf '%-34s %10s %10s %10s %10s %10s   %s\n' "" quiet photo "music new" "music kept" floor target
row() {  # row LABEL QUIET PHOTO MUSIC CACHED FLOOR TARGET
  printf '%-34s %10s %10s %10s %10s %10s   %s\n' "$1" "${2:-?}" "${3:-?}" "${4:-?}" "${5:-?}" "${6:-?}" "$7"
}
figures() {  # figures EXTENSION: that figure of each column
  local name
  for name in "${columns[@]}"; do figure "$name" "$1"; done
}
fields() {  # fields PATTERN: that figure of each saver column, and "-" for the floor
  local name
  for name in "${columns[@]::4}"; do field "$name" "$1"; done
  echo "-"
}
row "program processor (% of a core)" $(figures saver) "quiet <= 1.15 x floor, music kept <= floor + 0.6"
row "X server processor (% of a core)" $(figures server) "quiet <= floor"
row "RSS (MiB)" $(figures rss) "quiet <= 25, music <= 35"
row "wake-ups a second" $(figures wakeups) ""
row "sound thread wake-ups a second" $(figures sound_wakeups) "one per mixer buffer, 31"
row "loop period p99 (ms)" $(fields '99th percentile') "20"
row "longest frame-loop gap (ms)" $(fields 'longest') "photo <= 25"
row "allocations per frame" $(fields 'allocations per frame:') "0"

echo "== one frame's work on the test runtime (target: 6-8 us or lower)"
build/tests/quarlyn_bench --benchmark_filter=SaverFrame
