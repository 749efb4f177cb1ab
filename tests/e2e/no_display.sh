# Without an X display the program says so in one line and ends with a failure status.
source "$(dirname "$0")/lib.sh"
record_install_path

expect_no_display() {  # expect_no_display WHAT COMMAND...
  local what=$1 status=0
  shift
  "$@" >"$work/out" 2>&1 || status=$?
  [[ $status == 1 ]] || fail "$what: exit status $status"
  [[ $(wc -l <"$work/out") == 1 ]] || fail "$what: expected one line, got: $(cat "$work/out")"
  grep -q "^quarlyn: no X display is available" "$work/out" || fail "$what: $(cat "$work/out")"
}

expect_no_display "DISPLAY unset" env -u DISPLAY "$bin_dir/quarlyn" /S
expect_no_display "DISPLAY unset, configuration" env -u DISPLAY "$bin_dir/quarlyn"
display=900
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
expect_no_display "DISPLAY=:$display" env DISPLAY=":$display" "$bin_dir/quarlyn" /S
echo "no display: ok"
