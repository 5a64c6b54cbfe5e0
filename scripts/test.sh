#!/usr/bin/env bash
# Installs what is missing, builds every test with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs them all.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
cmake -S "$top" -B "$top/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DARBEL_SANITIZE=ON -DARBEL_TESTS=ON
cmake --build "$top/build-asan"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$top/build-asan"
ctest --output-on-failure -j"$(nproc)" "$@"

# The parallel tree walk and its callers under ThreadSanitizer, in a build of their
# own (a race report fails the run).
cmake -S "$top" -B "$top/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DARBEL_TSAN=ON -DARBEL_WERROR=ON \
  -DARBEL_TESTS=ON -DARBEL_UI=OFF
cmake --build "$top/build-tsan" --target test_core_walk
TSAN_OPTIONS="halt_on_error=1:die_after_fork=0:second_deadlock_stack=1" \
  "$top/build-tsan/tests/test_core_walk"
