#!/usr/bin/env bash
# Runs the tests whose work crosses threads (the sound side: device, controls, synthesizer and
# tune cache; the settings store's locks; the picture prefetcher) under ThreadSanitizer. Needs an
# X display, as the sound tests run on the real runtime, and a build with -fsanitize=thread
# (test.sh makes one):
#
#   tools/tsan-tests.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: tools/tsan-tests.sh BUILD_DIR}
echo "== thread-sanitized sound and store tests"
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp halt_on_error=1 second_deadlock_stack=1"
"$build/tests/quarlyn_unit_tests" --gtest_brief=1 --gtest_filter='SettingsStore*:Robustness*:PicturePrefetch*'
"$build/tests/quarlyn_real_tests" --gtest_brief=1 --gtest_filter='MMControl*:TuneCache*:CachedTune*:MusicSynth*'
