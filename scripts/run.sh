#!/usr/bin/env bash
# Installs what is missing, builds a release build in build/ and starts Arbel.
# ARBEL_BUILD_DIR names another build folder; one already configured is only
# brought up to date, whatever its build type.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ARBEL_BUILD_DIR:-$top/build}
"$top/scripts/setup.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DARBEL_TESTS=OFF
fi
cmake --build "$build" --target arbel
exec "$build/src/arbel" "$@"
