# However the saver ends while a tune renders into the tune cache (Esc, or a termination
# signal), it ends at once with status 0 and leaves no temporary file in the cache. A render
# that runs into a file-size limit fails; the saver goes on. A change that another process's
# lock on the settings holds up when the program ends is not lost: the next start takes it in.
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

# xdotool matches names without regard to case; the welcome dialog's caption differs from the
# configuration window's only in case.
welcome_dialog() {
  local id
  for _ in $(seq 100); do
    for id in $(xdotool search --onlyvisible --name '^Welcome To Quarlyn!$' 2>/dev/null); do
      [[ $(xdotool getwindowname "$id" 2>/dev/null) == 'Welcome To Quarlyn!' ]] && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  return 1
}
printf 'show_welcome=1\n' >>"$(settings_file)"
exec {lock}>"$(settings_file).lock"
flock "$lock"
"$quarlyn" /C {lock}>&- &
pid=$!
background_pids+=("$pid")
dialog=$(welcome_dialog) || fail "no welcome dialog"
xdotool mousemove --window "$dialog" 34 311 click 1   # untick "Display this message at program start up"
sleep 0.3
xdotool mousemove --window "$dialog" 398 366 click 1  # Continue
sleep 0.5
kill -s TERM "$pid"
wait_for_exit "$pid" 10 || fail "TERM did not end the configuration window"
[[ $exit_status == 0 ]] || fail "TERM: exit status $exit_status with the configuration window open"
exec {lock}>&-
"$helper_dir/startup_probe" /P >/dev/null
[[ $(sed -n 's/^show_welcome=//p' "$(settings_file)") == 0 ]] || fail "the change held up by the lock was lost"
echo "ending: ok"
