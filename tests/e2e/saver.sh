# The real saver under X: it shows the robot's game centred on the full screen, a key hands the
# game to a person (a fresh game at the configured level), Esc ends it, and the X server's own
# screen saver, held off while the saver runs, works again afterwards.
source "$(dirname "$0")/lib.sh"
quarlyn=$bin_dir/quarlyn
program=$(cd "$bin_dir/../data" && pwd)
"$tools_dir/record_install_path" "$program/" >/dev/null
printf 'game_starting_level=5\n' >>"$(settings_file)"
shots=${QUARLYN_SCREENSHOTS:-$helper_dir/screenshots}

# The play screen's origin on the screen, for a 640x480 play screen centred on it.
read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { split($2, size, "x"); print size[1], size[2] }')
origin_x=$(((screen_w - 640) / 2))
origin_y=$(((screen_h - 480) / 2))

# crop SHOT X Y W H OUT: a rectangle of the play screen (play-screen coordinates).
crop() { /usr/bin/convert "$1" -crop "$4x$5+$((origin_x + $2))+$((origin_y + $3))" +repage "$6"; }
mean() { /usr/bin/convert "$1" -colorspace Gray -format "%[fx:mean]" info:; }
differing_pixels() { /usr/bin/compare -metric AE "$1" "$2" null: 2>&1 || true; }
# The counter field at (x, y) as the game draws a one-digit value into it.
expected_counter() {
  /usr/bin/convert "$program/score.bmp" -crop 120x25+9+45 +repage \
    \( "$program/numbers.bmp" -crop "20x25+$((20 * $1))+0" +repage \) -geometry +50+0 -composite "$2"
}
counter_shows() {  # counter_shows SHOT X Y DIGIT
  crop "$1" "$2" "$3" 120 25 "$work/counter.png"
  expected_counter "$4" "$work/expected.png"
  [[ $(differing_pixels "$work/counter.png" "$work/expected.png") == 0 ]]
}
expect_counter() {  # expect_counter SHOT X Y DIGIT WHAT
  counter_shows "$1" "$2" "$3" "$4" || fail "$5 does not show $4"
}
# The well as shot in saver_robot and as it is now differ.
well_changed() {
  screenshot saver_robot_later
  crop "$shots/saver_robot_later.png" 220 0 200 480 "$work/well2.png"
  [[ $(differing_pixels "$work/well1.png" "$work/well2.png") != 0 ]]
}
person_game_shown() {
  screenshot saver_person
  counter_shows "$shots/saver_person.png" 50 101 0 && counter_shows "$shots/saver_person.png" 50 163 5
}
screensaver_is() { [[ $("$helper_dir/screensaver_state") == "$1" ]]; }

xset s off
"$quarlyn" /S &
pid=$!
background_pids+=("$pid")
wait_for_window StakkoSaver >/dev/null || fail "no saver window"
sleep 1
# The X server's own screen saver would blank the screen after 2 idle seconds, if let.
xset s 2 0
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the saver ended by itself"
[[ $("$helper_dir/screensaver_state") == off ]] || fail "the X screen saver was not held off"
screenshot saver_robot
crop "$shots/saver_robot.png" 0 0 640 480 "$work/play.png"
awk -v m="$(mean "$work/play.png")" 'BEGIN { exit !(m > 0.08) }' || fail "the play screen is dark"
/usr/bin/convert "$shots/saver_robot.png" -crop "${origin_x}x${screen_h}+0+0" +repage "$work/border.png"
[[ $(mean "$work/border.png") == 0 ]] || fail "the play screen is not centred on a black screen"
crop "$shots/saver_robot.png" 220 0 200 480 "$work/well1.png"
wait_until 10 well_changed || fail "the well did not change"

xdotool key x
sleep 1
kill -0 "$pid" 2>/dev/null || fail "a key ended the robot's game instead of handing it over"
wait_until 10 person_game_shown || {
  expect_counter "$shots/saver_person.png" 50 101 0 "the score"
  expect_counter "$shots/saver_person.png" 50 163 5 "the level"
}
xdotool key Left key Left key Up key space
sleep 1
kill -0 "$pid" 2>/dev/null || fail "game keys ended the saver"

xdotool key Escape
wait_for_exit "$pid" 10 || fail "Esc did not end the saver"
[[ $exit_status == 0 ]] || fail "exit status $exit_status"
wait_until 10 screensaver_is on || fail "the X screen saver stays held off after the saver"
xset s off

# The desktop ends a saver with SIGTERM; it must go, sound device and all.
"$quarlyn" /S &
pid=$!
background_pids+=("$pid")
wait_for_window StakkoSaver >/dev/null || fail "no saver window the second time"
sleep 2.5
kill -TERM "$pid"
wait_for_exit "$pid" 5 || fail "SIGTERM did not end the saver"
echo "saver: ok"
