#!/usr/bin/env bash
# Installs what is missing, builds, assembles the program folder, records it in the user's
# settings as the program folder and starts Quarlyn with the switch given (default /S).
set -euo pipefail
cd "$(dirname "$0")"

tools/install-packages.sh run
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARLYN_TESTS=OFF >/dev/null
cmake --build build-run -j"$(nproc)"
build-run/tools/record_install_path "$PWD/build-run/data/"
exec build-run/src/quarlyn "${1:-/S}"
