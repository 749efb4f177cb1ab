# The entry on the real runtime: switches in any case pick the mode, and a window of the same
# mode open in another process stops a second instance.
source "$(dirname "$0")/lib.sh"
probe=$helper_dir/startup_probe
record_install_path

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
echo "single instance: ok"
