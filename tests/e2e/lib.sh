# Shared by the end-to-end scripts: temporary settings, waiting for conditions and windows,
# screenshots.
# Each script is called as: script BIN_DIR TEST_BIN_DIR (the folders of quarlyn and the helpers).
set -euo pipefail

bin_dir=$1
helper_dir=$2
tools_dir=$(cd "$bin_dir/../tools" && pwd)
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
export XDG_CONFIG_DIRS=$work/system-config
background_pids=()
cleanup() {
  for pid in "${background_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

settings_file() { echo "$XDG_CONFIG_HOME/Dovrane Quarlyn/settings.ini"; }

record_install_path() {
  mkdir -p "$work/program"
  "$tools_dir/record_install_path" "$work/program/" >/dev/null
}

# Runs the command $2... every tenth of a second until it succeeds, for about $1 seconds at most;
# false when it never did. A test that waits for what it checks holds on a loaded machine.
wait_until() {
  local end=$((SECONDS + $1 + 1))
  shift
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep 0.1
  done
}

# Waits up to 10 s for a window named exactly $1 and prints its id.
wait_for_window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits up to $2 seconds for process $1, a child of this shell, to end; leaves its exit status
# in exit_status. (Only this shell can collect the status, so never call it inside $(...).)
wait_for_exit() {
  local pid=$1 limit=$2
  for _ in $(seq $((limit * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      exit_status=0
      wait "$pid" || exit_status=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

screenshot() {
  local dir=${QUARLYN_SCREENSHOTS:-$helper_dir/screenshots}
  mkdir -p "$dir"
  /usr/bin/import -window root "$dir/$1.png"
}

# Starts a window with caption $1 in another process and waits until it is up.
open_caption_window() {
  "$helper_dir/caption_window" "$1" >"$work/caption.out" &
  background_pids+=($!)
  wait_for_window "$1" >/dev/null || fail "the window '$1' did not appear"
}

close_caption_windows() {
  for pid in "${background_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${background_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  background_pids=()
}
