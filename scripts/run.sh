#!/usr/bin/env bash
# Installs what is missing, builds a release build in build/ and starts Arbel.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DARBEL_TESTS=OFF
cmake --build "$top/build" --target arbel
exec "$top/build/arbel" "$@"
