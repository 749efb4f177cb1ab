#!/usr/bin/env bash
# Installs the Debian packages that are missing for running (run) or for building and testing
# (test) Quarlyn. Works as root or through sudo; does nothing when everything is there.
set -euo pipefail

run_packages=(
  build-essential cmake pkg-config
  libfltk1.3-dev libx11-dev libxext-dev libxss-dev libjpeg-dev libgif-dev
  libfreetype-dev fonts-dejavu-core
  xdg-utils
  libsdl2-mixer-dev libasound2-dev libfluidsynth-dev libsndfile1-dev timgm6mb-soundfont
)
test_packages=(
  "${run_packages[@]}"
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xdotool x11-utils x11-xserver-utils imagemagick libxdamage-dev desktop-file-utils
)

case "${1:-}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
