# The real saver under X: it shows the robot's game full screen, a key hands the game to a
# person, Esc ends it, and the program then exits.
source "$(dirname "$0")/lib.sh"
quarlyn=$bin_dir/quarlyn
program_folder=$(cd "$bin_dir/../data" && pwd)
"$tools_dir/record_install_path" "$program_folder/" >/dev/null

# Mean brightness of the centred 640x480 play screen in a screenshot, 0 to 1.
brightness() { /usr/bin/convert "$1" -gravity center -crop 640x480+0+0 -colorspace Gray -format "%[fx:mean]" info:; }

"$quarlyn" /S &
pid=$!
background_pids+=("$pid")
wait_for_window StakkoSaver >/dev/null || fail "no saver window"
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the saver ended by itself"
screenshot saver_robot
shots=${QUARLYN_SCREENSHOTS:-$helper_dir/screenshots}
awk -v b="$(brightness "$shots/saver_robot.png")" 'BEGIN { exit !(b > 0.08) }' || fail "the play screen is dark"

xdotool key x
sleep 1
kill -0 "$pid" 2>/dev/null || fail "a key ended the robot's game instead of handing it over"
xdotool key Left key Left key Up key space
sleep 1
screenshot saver_person
kill -0 "$pid" 2>/dev/null || fail "game keys ended the saver"

xdotool key Escape
wait_for_exit "$pid" 10 || fail "Esc did not end the saver"
[[ $exit_status == 0 ]] || fail "exit status $exit_status"
echo "saver: ok"
