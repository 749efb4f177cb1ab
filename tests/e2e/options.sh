# The options as a person sets them from the configuration window: the frame rate, the music
# switch, a game picture of their own picked in the picture chooser (with its preview), and a
# playlist built in the playlist editor; the settings file then holds all of it, and the saver
# shows the new picture.
source "$(dirname "$0")/lib.sh"
quarlyn=$bin_dir/quarlyn
data=$(cd "$bin_dir/../data" && pwd)
# The program folder holds the test's own folder "mine" beside the program's files.
mkdir -p "$work/program/mine/deeper"
for file in "$data"/*; do ln -s "$file" "$work/program/"; done
"$tools_dir/record_install_path" "$work/program/" >/dev/null
printf 'show_welcome=0\naudio_files_total=0\nframe_rate=20\n' >>"$(settings_file)"
/usr/bin/convert -size 210x480 xc:'#ff00ff' "BMP3:$work/program/mine/grid.bmp"
/usr/bin/convert -size 64x64 xc:'#00ff00' "BMP3:$work/program/mine/deeper/deep.bmp"
cp "$data/music1.mid" "$work/program/mine/a.mid"
cp "$data/music2.mid" "$work/program/mine/b.mid"

setting() { sed -n "s/^$1=//p" "$(settings_file)"; }
click_in() {
  local id
  id=$(wait_for_window "$1") || fail "no window '$1'"
  xdotool mousemove --window "$id" "$2" "$3" click "${@:4}" 1
  sleep 0.4
}
double_click_in() { click_in "$1" "$2" "$3" --repeat 2 --delay 60; }
# The share of the screen's pixels that are about the colour $1.
colour_share() {
  /usr/bin/import -window root png:- |
    /usr/bin/convert png:- -fuzz 12% -fill white -opaque "$1" -fill black +opaque white -format '%[fx:mean]' info:
}
# True when more than 2 % of the screen is magenta; leaves the share in `share`.
magenta_shown() {
  share=$(colour_share '#ff00ff')
  awk -v s="$share" 'BEGIN { exit !(s > 0.02) }'
}
# Rows of the browsers' lists are 17 pixels apart; the folder list shows the path's folders from
# the root down, then the subfolders, so "mine" follows the four folders of $work/program.
row_y() { echo $(($1 + 11 + 17 * $2)); }
depth=$(($(tr -cd / <<<"$work/program" | wc -c) + 1))

config='Welcome to Quarlyn!'
options='Quarlyn - Options'
graphics='Quarlyn - Graphics Selection'
chooser='Select A Graphic'
music='Quarlyn - Music Selection'

"$quarlyn" /C &
pid=$!
background_pids+=("$pid")
wait_for_window "$config" >/dev/null || fail "no configuration window"
sleep 0.5
click_in "$config" 417 456
click_in "$options" 352 55 --repeat 3 --delay 100  # the bar's right arrow: 20 -> 23
click_in "$options" 336 55                         # the track right of the thumb: a page, 23 -> 28
click_in "$options" 44 127                         # Play Music
screenshot options_dialog

click_in "$options" 300 125                        # Select Graphics
click_in "$graphics" 608 434                       # "..." of Playfield Grid
double_click_in "$chooser" 80 "$(row_y 40 "$depth")"
click_in "$chooser" 240 "$(row_y 4 0)"             # grid.bmp
wait_until 10 magenta_shown || fail "the preview shows no picture ($share)"
screenshot options_chooser_preview
# Two levels below where the chooser opened, then up to the root; the picture chosen stays.
double_click_in "$chooser" 80 "$(row_y 40 $((depth + 1)))"  # deeper
screenshot options_chooser_two_levels
double_click_in "$chooser" 80 "$(row_y 40 0)"              # /
click_in "$chooser" 322 506                        # Ok
sleep 0.3
screenshot options_graphics_list
click_in "$graphics" 385 532                       # Ok

click_in "$options" 300 157                        # Select Music
double_click_in "$music" 80 "$(row_y 48 "$depth")"
click_in "$music" 300 "$(row_y 12 0)"              # a.mid
xdotool keydown ctrl
click_in "$music" 300 "$(row_y 12 1)"              # b.mid, Ctrl held
xdotool keyup ctrl
click_in "$music" 97 270                           # Add Selected
click_in "$music" 300 "$(row_y 296 0)"             # the playlist's a.mid
screenshot options_playlist
click_in "$music" 97 338                           # Remove Selected
click_in "$music" 462 434                          # Ok
click_in "$options" 200 264                        # Ok
click_in "$config" 590 456                         # Exit
wait_for_exit "$pid" 10 || fail "the program did not end"

[[ $(setting frame_rate) == 28 ]] || fail "frame_rate is '$(setting frame_rate)'"
[[ $(setting music_on) == 0 ]] || fail "music_on is '$(setting music_on)'"
[[ $(setting Gfiles17) == "$work/program/mine/grid.bmp" ]] || fail "Gfiles17 is '$(setting Gfiles17)'"
[[ $(setting audio_files_total) == 1 ]] || fail "audio_files_total is '$(setting audio_files_total)'"
[[ $(setting audio_files1) == "$work/program/mine/b.mid" ]] || fail "audio_files1 is '$(setting audio_files1)'"

"$quarlyn" /S &
pid=$!
background_pids+=("$pid")
wait_for_window StakkoSaver >/dev/null || fail "no saver window"
wait_until 10 magenta_shown || fail "the saver does not show the new well picture ($share)"
screenshot options_saver_grid
xdotool key Escape
wait_for_exit "$pid" 10 || fail "the saver did not end"
echo "options: ok"
