# The real saver makes sound: with SDL's disk driver its mixed output (music from the playlist
# and the effects) lands in a file, which must hold sound. With no usable audio driver at all
# the saver runs on, silent.
source "$(dirname "$0")/lib.sh"
quarlyn=$bin_dir/quarlyn
program=$(cd "$bin_dir/../data" && pwd)
"$tools_dir/record_install_path" "$program/" >/dev/null

start_saver() {
  "$quarlyn" /S &
  pid=$!
  background_pids+=("$pid")
  wait_for_window StakkoSaver >/dev/null || fail "no saver window"
}
end_saver() {  # the saver must still run; Esc ends it
  kill -0 "$pid" 2>/dev/null || fail "the saver ended by itself"
  xdotool key Escape
  wait_for_exit "$pid" 10 || fail "Esc did not end the saver"
  [[ $exit_status == 0 ]] || fail "exit status $exit_status"
}

# The largest absolute 16-bit sample in a raw file of signed 16-bit samples.
peak_sample() { od -An -v -t d2 -w2 "$1" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'; }
# True once the mixed output holds sound; leaves its peak in `peak`.
output_loud() {
  [[ -s $work/mixed.raw ]] || return 1
  peak=$(peak_sample "$work/mixed.raw")
  ((peak > 1000))
}

export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/mixed.raw
start_saver
peak=none
wait_until 30 output_loud || fail "the saver's output is silent (peak $peak)"
end_saver

export SDL_AUDIODRIVER=nosuchdriver
start_saver
sleep 4  # it plays on, silent
end_saver
echo "sound: ok (peak sample $peak)"
