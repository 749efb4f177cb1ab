# However the saver ends while a tune renders into the tune cache (Esc, or a termination
# signal), it ends at once with status 0 and leaves no temporary file in the cache. A render
# that runs into a file-size limit fails; the saver goes on.
source "$(dirname "$0")/lib.sh"
quarlyn=$bin_dir/quarlyn
program=$(cd "$bin_dir/../data" && pwd)
"$tools_dir/record_install_path" "$program/" >/dev/null
export SDL_AUDIODRIVER=dummy
tunes="$XDG_CACHE_HOME/Dovrane Quarlyn/tunes"

rendering() { compgen -G "$tunes/render-*" >/dev/null; }

# Waits up to 10 s for the saver (process $pid) to render its first tune.
wait_for_render() {
  wait_for_window StakkoSaver >/dev/null || fail "no saver window"
  for _ in $(seq 100); do rendering && return 0; sleep 0.1; done
  fail "no tune is rendered"
}

end_while_rendering() {  # end_while_rendering HOW: "Escape" or a signal name
  rm -rf "$tunes"
  "$quarlyn" /S &
  pid=$!
  background_pids+=("$pid")
  wait_for_render
  if [[ $1 == Escape ]]; then xdotool key Escape; else kill -s "$1" "$pid"; fi
  wait_for_exit "$pid" 10 || fail "$1 did not end the saver"
  [[ $exit_status == 0 ]] || fail "$1: exit status $exit_status"
  ! rendering || fail "$1 left a render's temporary file: $(ls "$tunes")"
}

for how in Escape TERM INT HUP; do end_while_rendering "$how"; done

rm -rf "$tunes"
(ulimit -f 200 && exec "$quarlyn" /S) &
pid=$!
background_pids+=("$pid")
wait_for_render
for _ in $(seq 100); do rendering && kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null || { wait "$pid" || fail "the file-size limit ended the saver (status $?)"; }
xdotool key Escape
wait_for_exit "$pid" 10 || fail "Esc did not end the saver under a file-size limit"
[[ $exit_status == 0 ]] || fail "exit status $exit_status under a file-size limit"
echo "ending: ok"
