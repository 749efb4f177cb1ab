#!/usr/bin/env bash
# Installs what is missing, builds Quarlyn four ways (Release, address- and thread-sanitized,
# fuzzing), starts a private X server and runs every test: unit and system tests, the real-window
# and end-to-end tests, a short run of each fuzzer, a packager's build and install, the sound and
# store tests under ThreadSanitizer, and the benchmarks (which print figures, never fail).
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
jobs=$(nproc)

tools/install-packages.sh test

build() {  # build DIR TARGETS [cmake options...]; TARGETS may name several, blank-separated
  local dir=$1 targets=$2
  shift 2
  cmake -S . -B "$dir" "$@" >/dev/null
  # shellcheck disable=SC2086
  cmake --build "$dir" -j"$jobs" --target $targets
}
build build all -DCMAKE_BUILD_TYPE=Release  # what a packager builds: -O3 brings warnings of its own
build build-asan all -DCMAKE_BUILD_TYPE=Debug -DQUARLYN_SANITIZE=ON
CC=clang CXX=clang++ build build-fuzz fuzzers -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARLYN_FUZZ=ON
build build-tsan "quarlyn_real_tests quarlyn_unit_tests" -DCMAKE_BUILD_TYPE=Debug -DQUARLYN_SANITIZE_THREAD=ON

# A private X server for the tests that need windows.
display=90
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
scratch=$(mktemp -d)
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$scratch"' EXIT
export DISPLAY=":$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Tests never touch the user's own settings or files, nor read the machine's system settings.
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data XDG_CACHE_HOME=$scratch/cache SDL_AUDIODRIVER=dummy
export XDG_CONFIG_DIRS=$scratch/system-config
export QUARLYN_SCREENSHOTS=$root/build/screenshots
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
# Without a session bus, SDL's audio start makes libdbus fork to launch one. A process forked
# while another thread is inside AddressSanitizer's allocator inherits its lock taken and hangs;
# an address that cannot connect keeps libdbus from forking at all.
export DBUS_SESSION_BUS_ADDRESS=unix:path=$scratch/no-session-bus

echo "== fuzzers (20 s each)"
artifacts=$root/build-fuzz/artifacts/
mkdir -p "$artifacts"
for fuzzer in build-fuzz/tests/fuzz_*; do
  [[ -x $fuzzer ]] || continue
  corpus=$scratch/corpus-$(basename "$fuzzer")
  mkdir -p "$corpus"
  "$fuzzer" -max_total_time=20 -print_final_stats=0 -artifact_prefix="$artifacts" "$corpus" 2>&1 | tail -n 1
done

echo "== packager's build and install"
tests/install/packaged_install.sh

echo "== benchmarks (figures only)"
build/tests/quarlyn_bench --benchmark_min_time=0.2
# The real saver's processor use, memory and frame pacing beside a bare window's (own Xvfb).
tools/bench-saver.sh 10 || echo "the saver's benchmark could not run to its end"

echo "== sanitized tests"
ctest --test-dir build-asan --output-on-failure -j"$jobs"
tools/tsan-tests.sh build-tsan
echo "== tests"
ctest --test-dir build --output-on-failure -j"$jobs"
