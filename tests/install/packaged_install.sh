#!/usr/bin/env bash
# A packager's build and install. The build is configured without the tests, so none of the test
# packages may be looked for. Staged with DESTDIR, every file lands under the stage and nothing
# is written for the installing user. Installed into a prefix, the saver started by a user who
# has no settings at all finds the program folder through the install's own system layer and
# draws the play screen from the installed pictures. Needs an X display; test.sh runs it.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build-packager
prefix=$build/installed
shots=${QUARLYN_SCREENSHOTS:-$build/screenshots}
work=$(mktemp -d)
saver_pid=
cleanup() {
  [[ -z $saver_pid ]] || kill "$saver_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUARLYN_TESTS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON --no-warn-unused-cli >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

# ---- Staged ----
stage=$work/stage
installer=$work/installer
mkdir -p "$installer"
HOME=$installer XDG_CONFIG_HOME=$installer/config XDG_DATA_HOME=$installer/data XDG_CACHE_HOME=$installer/cache \
  DESTDIR=$stage cmake --install "$build" >/dev/null || fail "the staged install failed"
[[ -z $(ls -A "$installer") ]] || fail "the install wrote into the installer's home: $(ls -A "$installer")"
staged=$stage$prefix
outside=$(find "$stage" ! -type d ! -path "$staged/*")
[[ -z $outside ]] || fail "the install wrote outside the prefix: $outside"
[[ -x $staged/bin/quarlyn ]] || fail "no program"
[[ -n $(find "$staged" -path '*/quarlyn/libquarlyn-audio.so') ]] || fail "no sound module"
for file in help.htm objects.txt pieces.dat score.bmp back1.bmp audio.wav title.mid; do
  [[ -f $staged/share/quarlyn/$file ]] || fail "no $file in the program folder"
done
[[ $(cat "$staged/etc/xdg/Dovrane Quarlyn/settings.ini") == $'[Config]\ninstall_path='"$prefix/share/quarlyn/" ]] ||
  fail "the system layer does not record the program folder"
desktop-file-validate "$staged/share/applications/quarlyn.desktop" || fail "the menu entry is not valid"
echo "staged install: ok"

# ---- Installed, started by a user without settings ----
rm -rf "$prefix"
cmake --install "$build" >/dev/null || fail "the install failed"
user=$work/user
mkdir -p "$user" "$work/no-system-layer"
env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME HOME="$user" XDG_CONFIG_DIRS="$work/no-system-layer" \
  "$prefix/bin/quarlyn" /S &
saver_pid=$!

# The score panel's top, above its counters, as the installed picture has it.
read -r screen_w screen_h < <(xdpyinfo | awk '/dimensions:/ { split($2, size, "x"); print size[1], size[2] }')
panel_x=$(((screen_w - 640) / 2 + 40))
panel_y=$(((screen_h - 480) / 2 + 60))
/usr/bin/convert "$prefix/share/quarlyn/score.bmp" -crop 140x40+0+0 +repage "$work/expected.png"
mkdir -p "$shots"
drawn=no
for _ in $(seq 100); do
  if xdotool search --name '^StakkoSaver$' >/dev/null 2>&1; then
    /usr/bin/import -window root "$shots/installed_saver.png"
    /usr/bin/convert "$shots/installed_saver.png" -crop "140x40+$panel_x+$panel_y" +repage "$work/panel.png"
    differing=$(/usr/bin/compare -metric AE "$work/panel.png" "$work/expected.png" null: 2>&1 || true)
    [[ $differing == 0 ]] && { drawn=yes; break; }
  fi
  kill -0 "$saver_pid" 2>/dev/null || fail "the installed saver ended by itself"
  sleep 0.1
done
[[ $drawn == yes ]] || fail "the installed saver did not draw the play screen from the installed pictures"
kill "$saver_pid"
wait "$saver_pid" 2>/dev/null || true
saver_pid=
echo "installed saver: ok"
