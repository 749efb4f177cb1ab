#!/usr/bin/env bash
# Measures the balance of the real saver's sound. Runs the saver in a private Xvfb with SDL's
# disk audio driver three times (music only, effects only, both) while the robot plays, and
# prints the loudness of each recording, its peak, its samples at full scale and how soon the
# process ended after Esc. Prints figures; it never passes or fails.
#
#   tools/sound-levels.sh [SECONDS [TUNE]]
#
# Each run lasts SECONDS (60 by default) with a playlist of the one TUNE, by default the
# default tune with the loudest peaks, so that runs compare.
set -euo pipefail
seconds=${1:-60}
tune=${2:+$(realpath -m "$2")}
cd "$(dirname "$0")/.."
root=$PWD
tune=${tune:-$root/build/data/music10.mid}

tools/install-packages.sh test
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target quarlyn record_install_path sound_levels program_folder

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

# record LABEL MUSIC_ON SOUNDFX_ON: one run of the saver with its own settings, recorded.
record() {
  local label=$1
  export XDG_CONFIG_HOME=$scratch/$label/config XDG_DATA_HOME=$scratch/$label/data XDG_CACHE_HOME=$scratch/$label/cache
  export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$scratch/$label.raw
  build/tools/record_install_path "$root/build/data/" >/dev/null
  printf 'music_on=%s\nsoundfx_on=%s\naudio_files_total=1\naudio_files1=%s\n' "$2" "$3" "$tune" \
    >>"$XDG_CONFIG_HOME/Dovrane Quarlyn/settings.ini"
  build/src/quarlyn /S 2>/dev/null &
  saver_pid=$!
  sleep "$seconds"
  xdotool key Escape
  # This shell is the saver's parent, so it is reaped the moment it ends.
  local pressed ended
  pressed=$(date +%s%N)
  for _ in $(seq 1000); do kill -0 "$saver_pid" 2>/dev/null || break; sleep 0.01; done
  ended=$(date +%s%N)
  kill "$saver_pid" 2>/dev/null || true
  wait "$saver_pid" 2>/dev/null || true
  saver_pid=
  build/tools/sound_levels "$label" "$scratch/$label.raw"
  echo "         the process ended $(((ended - pressed) / 1000000)) ms after Esc (target: under 300 ms)"
}

echo "== the saver's sound over $seconds s of robot play to $(basename "$tune") (target: effects clearly" \
  "below the music, peak of the mix -1 dBFS or below, nothing clipped)"
record music 1 0
record effects 0 1
record mix 1 1
