# The saver's frame-by-frame presenting test on displays unlike the usual one: a server without
# the shared-memory extension, and a 16-bit visual, where colours are converted.
source "$(dirname "$0")/lib.sh"

# Starts Xvfb with these arguments on a free display and prints the display's name.
start_xvfb() {
  local display=150
  while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
  Xvfb ":$display" -nolisten tcp -noreset "$@" >/dev/null 2>&1 &
  background_pids+=($!)
  for _ in $(seq 100); do DISPLAY=":$display" xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  display_name=":$display"
}

start_xvfb -screen 0 1024x768x24 -extension MIT-SHM
DISPLAY=$display_name xdpyinfo -queryExtensions | grep -q MIT-SHM && fail "MIT-SHM still offered"
DISPLAY=$display_name "$helper_dir/quarlyn_real_tests" --gtest_filter='*SaverPresenting*' --gtest_brief=1 ||
  fail "presenting without shared memory"

start_xvfb -screen 0 1024x768x16
DISPLAY=$display_name "$helper_dir/quarlyn_real_tests" --gtest_filter='*SaverPresenting*' --gtest_brief=1 ||
  fail "presenting on a 16-bit visual"
echo "presented correctly without shared memory and at 16 bits"
