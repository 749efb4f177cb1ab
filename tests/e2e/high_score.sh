# A person's game in the real saver, played to its end by hard drops, earns a place: the name
# dialog appears over the game, a typed name and Enter close it, the settings file holds the
# entry at once, and the robot plays on.
source "$(dirname "$0")/lib.sh"
quarlyn=$bin_dir/quarlyn
program=$(cd "$bin_dir/../data" && pwd)
"$tools_dir/record_install_path" "$program/" >/dev/null
printf 'game_difficulty=1\n' >>"$(settings_file)"

# The id of a mapped 353x260 window (the name dialog has no caption), if one is up.
dialog_window() {
  xwininfo -root -children 2>/dev/null | awk '/ 353x260\+/ { print $1; exit }'
}
no_dialog() { [[ -z $(dialog_window) ]]; }

"$quarlyn" /S &
pid=$!
background_pids+=("$pid")
wait_for_window StakkoSaver >/dev/null || fail "no saver window"
sleep 2
xdotool key x
sleep 0.5
# Hard drops stack every piece in the middle of the well, which fills up within 30 pieces;
# the dialog follows the game-over fill and pause.
dialog=""
end=$((SECONDS + 60))
while ((SECONDS < end)); do
  dialog=$(dialog_window)
  [[ -n $dialog ]] && break
  kill -0 "$pid" 2>/dev/null || fail "the saver ended during the person's game"
  xdotool key space
  sleep 0.25
done
[[ -n $dialog ]] || fail "no name dialog after the game"
sleep 0.5
screenshot high_score_dialog
# A drop pressed just as the dialog came up would have typed a blank: start from an empty box.
xdotool key ctrl+a BackSpace
xdotool type --delay 50 Zed
xdotool key Return
wait_until 10 no_dialog || fail "the dialog stayed open"
wait_until 10 grep -qx "Game1Name1=Zed" "$(settings_file)" || fail "the entry is not in the settings file: $(grep Game1Name1 "$(settings_file)")"
score=$(sed -n 's/^Game1Score1=//p' "$(settings_file)")
[[ $score -gt 0 ]] || fail "the stored score is '$score'"
kill -0 "$pid" 2>/dev/null || fail "the saver did not play on"
screenshot high_score_after
xdotool key Escape
wait_for_exit "$pid" 10 || fail "Esc did not end the saver"
echo "high score: ok"
