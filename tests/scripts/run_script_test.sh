#!/usr/bin/env bash
# Runs the README's start command, scripts/run.sh, on the build folder of the
# tests (already configured, so the script only brings it up to date) and
# checks that Arbel comes up: the program ends itself once its frame is shown
# with the tree window, and says so.
# Arguments: the source folder and the build folder.
set -uo pipefail
src=$1
build=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config ARBEL_BUILD_DIR=$build ARBEL_QUIT_AFTER_START=1
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

out=$(timeout 240 "$src/scripts/run.sh" 2>&1 </dev/null)
rc=$?
if [ $rc -ne 0 ]; then
  printf '%s\n' "$out"
  echo "FAIL: scripts/run.sh ended with $rc (124: it did not quit once started)"
  exit 1
fi
if ! grep -qx 'Arbel started' <<<"$out"; then
  printf '%s\n' "$out"
  echo "FAIL: scripts/run.sh did not start Arbel"
  exit 1
fi
echo "PASS: scripts/run.sh built and started Arbel"
