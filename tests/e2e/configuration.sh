# The configuration window as a person meets it: the welcome dialog over it, the window itself,
# a game type chosen, a second start ending at once, a game played in the saver and left with
# Esc, the about and help dialogs with the help page opened (and failing to open), and the
# window closed with its choices in the settings file.
source "$(dirname "$0")/lib.sh"
quarlyn=$bin_dir/quarlyn
program=$(cd "$bin_dir/../data" && pwd)
"$tools_dir/record_install_path" "$program/" >/dev/null
printf 'show_welcome=1\ngame_difficulty=1\n' >>"$(settings_file)"
# Names as long as the name dialog takes, some with blanks, stay inside their cells; the short
# ones of game type 6 replace them without leaving fragments (see the screenshots).
printf 'Game1Name1=%s\nGame1Name2=%s\nGame1Name3=%s\nGame6Name1=Ann\n' WWWWWWWWWWWWWWWWWWWWWWWWW \
  'Maximilian Alexander Ross' 'MMMMMMMMMMMM MMMMMMMMMMMM' >>"$(settings_file)"

# An xdg-open stand-in, first on PATH: it records what it was asked to open, and ends with the
# status it read before, so that once the record is there a new status only reaches later opens.
mkdir -p "$work/opener"
cat >"$work/opener/xdg-open" <<EOF
#!/bin/sh
status=\$(cat "$work/opener-status")
echo "\$1" >>"$work/opened"
exit "\$status"
EOF
chmod +x "$work/opener/xdg-open"
echo 0 >"$work/opener-status"
export PATH=$work/opener:$PATH

caption='Welcome to Quarlyn!'
# xdotool matches names without regard to case, and two captions here differ only in case.
visible_window() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$1" ]] && { echo "$id"; return 0; }
  done
  return 0
}
wait_until_visible() {
  for _ in $(seq 100); do [[ -n $(visible_window "$1") ]] && return 0; sleep 0.1; done
  return 1
}
wait_until_gone() {
  for _ in $(seq 100); do [[ -z $(visible_window "$1") ]] && return 0; sleep 0.1; done
  return 1
}
# Clicks at (x, y) of the visible window named $1.
click_in() {
  local id
  id=$(visible_window "$1")
  [[ -n $id ]] || fail "no window '$1' to click in"
  xdotool mousemove --window "$id" "$2" "$3" click 1
}
setting() { sed -n "s/^$1=//p" "$(settings_file)"; }
setting_is() { [[ $(setting "$1") == "$2" ]]; }
opened_is() { [[ $(cat "$work/opened" 2>/dev/null) == "$1" ]]; }
# The mean brightness of an area of the screen, 0 to 1.
brightness() { /usr/bin/import -window root -crop "$1" png:- | /usr/bin/convert png:- -colorspace Gray -format '%[fx:mean]' info:; }

"$quarlyn" /C &
pid=$!
background_pids+=("$pid")
wait_until_visible "$caption" || fail "no configuration window"
wait_until_visible 'Welcome To Quarlyn!' || fail "no welcome dialog"
sleep 0.5
screenshot configuration_welcome
click_in 'Welcome To Quarlyn!' 34 311   # the box "Display this message at program start up"
sleep 0.3
screenshot configuration_welcome_unticked
sleep 0.3
click_in 'Welcome To Quarlyn!' 398 366  # Continue
wait_until_gone 'Welcome To Quarlyn!' || fail "the welcome dialog stayed open"
wait_until 10 setting_is show_welcome 0 || fail "show_welcome is '$(setting show_welcome)' after unticking"

read -r x y w h < <(xdotool getwindowgeometry --shell "$(visible_window "$caption")" |
  awk -F= '{ v[$1] = $2 } END { print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"] }')
[[ $w == 640 && $h == 480 ]] || fail "the window is ${w}x$h"
screen_size=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
[[ $x == $(((${screen_size%x*} - 640) / 2)) && $y == $(((${screen_size#*x} - 480) / 2)) ]] ||
  fail "the window is at $x,$y on a $screen_size screen"
screenshot configuration_window

# Game type 6: the score column shows "00:00" in every row, brighter than "0".
score_cell="91x19+$((x + 213))+$((y + 159))"
before=$(brightness "$score_cell")
brighter_than_before() {
  after=$(brightness "$score_cell")
  awk -v a="$after" -v b="$before" 'BEGIN { exit !(a > b * 1.1) }'
}
click_in "$caption" 506 259
wait_until 10 brighter_than_before || fail "the score column did not change ($before, $after)"
screenshot configuration_forty_line

timeout 10 "$quarlyn" /C || fail "a second configuration window did not end at once"
[[ $(xdotool search --onlyvisible --name "^$caption\$" | wc -l) == 1 ]] || fail "a second window appeared"

# A game: the window goes, the saver plays a person's game, Esc brings the window back.
click_in "$caption" 506 379
wait_for_window StakkoSaver >/dev/null || fail "no saver window"
wait_until_gone "$caption" || fail "the window stayed up during the game"
sleep 2
xdotool key Left Left
sleep 0.5
screenshot configuration_game
xdotool key Escape
wait_until_visible "$caption" || fail "the window did not come back after the game"
[[ -z $(visible_window StakkoSaver) ]] || fail "the saver window stayed up"
sleep 0.5
screenshot configuration_after_game

click_in "$caption" 186 456
wait_until_visible 'About - Quarlyn' || fail "no about dialog"
sleep 0.5
screenshot configuration_about
click_in 'About - Quarlyn' 220 313  # Ok
wait_until_gone 'About - Quarlyn' || fail "the about dialog stayed open"

click_in "$caption" 516 456
wait_until_visible 'Quarlyn - Help' || fail "no help dialog"
sleep 0.5
screenshot configuration_help
click_in 'Quarlyn - Help' 140 306  # View Detailed Help
wait_until 10 opened_is "$program/help.htm" || fail "xdg-open was given '$(cat "$work/opened" 2>/dev/null)'"
[[ -n $(visible_window 'Quarlyn - Help') ]] || fail "the help dialog closed after opening the page"
echo 3 >"$work/opener-status"
click_in 'Quarlyn - Help' 140 306
wait_until_visible 'Error!' || fail "no error box for a failed open"
sleep 0.3
screenshot configuration_help_error
xdotool key Return
wait_until_gone 'Error!' || fail "the error box stayed open"
click_in 'Quarlyn - Help' 340 306  # Exit
wait_until_gone 'Quarlyn - Help' || fail "the help dialog stayed open"

click_in "$caption" 590 456  # Exit
wait_for_exit "$pid" 10 || fail "the program did not end when the window closed"
[[ $exit_status == 0 ]] || fail "exit status $exit_status"
[[ $(setting game_difficulty) == 6 ]] || fail "game_difficulty is '$(setting game_difficulty)'"
echo "configuration: ok"
