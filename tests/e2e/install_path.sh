# Without a recorded program folder every mode shows the installation error and ends when it is
# closed; with one, "/P" and "/A" end at once without opening any window.
source "$(dirname "$0")/lib.sh"
quarlyn=$bin_dir/quarlyn

"$quarlyn" /P &
pid=$!
background_pids+=("$pid")
window=$(wait_for_window Quarlyn) || fail "no error box titled Quarlyn"
sleep 0.3
screenshot install_path_error
kill -0 "$pid" 2>/dev/null || fail "the program ended before the box was closed"
xdotool windowfocus --sync "$window" key Return
wait_for_exit "$pid" 10 || fail "the program did not end when the box was closed"
[[ $exit_status == 0 ]] || fail "exit status $exit_status"
[[ ! -e $(settings_file) ]] || fail "nothing may be saved after the installation error"

record_install_path
for switch in /P /a /p:1234 /A; do
  # No display at all: opening any window would fail.
  env -u DISPLAY timeout 10 "$quarlyn" "$switch" || fail "$switch did not end quietly"
done
echo "install path: ok"
