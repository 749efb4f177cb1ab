# The entry on the real runtime: switches in any case pick the mode, and a window of the same
# mode open in another process stops a second instance.
source "$(dirname "$0")/lib.sh"
probe=$helper_dir/startup_probe
record_install_path

# Counts which of the processes $@ still run into `running`; true when at most one does.
at_most_one_runs() {
  running=0
  for pid in "$@"; do kill -0 "$pid" 2>/dev/null && running=$((running + 1)); done
  ((running <= 1))
}

expect_output() {  # expect_output SWITCH EXPECTED
  local output
  output=$(timeout 20 "$probe" "$1") || fail "probe $1 failed"
  [[ $output == "$2" ]] || fail "$1: expected '$2', got '$output'"
}

expect_output /s "saver shown"
expect_output /S "saver shown"
expect_output /c "configuration shown"
expect_output "" "configuration shown"
expect_output /P ""

open_caption_window StakkoSaver
screenshot single_instance_saver_open
expect_output /S ""
expect_output /C "configuration shown"
# The real program too: a saver would run until a key ends it, so ending at once shows the test.
timeout 10 "$bin_dir/quarlyn" /S || fail "a second saver did not end at once"
close_caption_windows

open_caption_window "Quarlyn Configuration"
expect_output /C ""
expect_output /s "saver shown"
close_caption_windows

open_caption_window "StakkoSaver 2"
expect_output /S "saver shown"
close_caption_windows

# Two real savers started at the same moment: both pass the caption search before either window
# shows, and exactly one of them runs.
"$tools_dir/record_install_path" "$(cd "$bin_dir/../data" && pwd)/" >/dev/null
for trial in 1 2 3 4 5; do
  "$bin_dir/quarlyn" /S &
  first=$!
  "$bin_dir/quarlyn" /S &
  second=$!
  background_pids+=("$first" "$second")
  wait_for_window StakkoSaver >/dev/null || fail "trial $trial: no saver window"
  wait_until 10 at_most_one_runs "$first" "$second" || fail "trial $trial: both savers run"
  windows=$(xdotool search --name '^StakkoSaver$' | wc -l)
  [[ $running == 1 && $windows == 1 ]] || fail "trial $trial: $running savers run, $windows windows"
  kill -TERM "$first" "$second" 2>/dev/null || true
  wait_for_exit "$first" 5 || fail "trial $trial: a saver did not end"
  wait_for_exit "$second" 5 || fail "trial $trial: a saver did not end"
  background_pids=()
done
echo "single instance: ok"
