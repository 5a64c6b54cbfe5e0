#!/usr/bin/env bash
# The README's command makes Arbel the default for folders: run it as written
# there, in a fresh XDG_CONFIG_HOME with Arbel installed under XDG_DATA_HOME,
# and ask xdg-mime who opens inode/directory.
# Usage: default_file_manager_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command=$(grep -E '^\s+xdg-mime default ' "$source/README.md" | sed 's/^\s*//')
[ "$command" = "xdg-mime default arbel.desktop inode/directory" ] ||
  { echo "README's command is: '$command'"; exit 1; }
DESTDIR=$work/stage cmake --install "$build" --prefix /usr >/dev/null

env -i PATH="$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/stage/usr/share" \
  XDG_DATA_DIRS="$work/stage/usr/share" bash -c "$command"
got=$(env -i PATH="$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/stage/usr/share" \
  XDG_DATA_DIRS="$work/stage/usr/share" xdg-mime query default inode/directory)
[ "$got" = arbel.desktop ] || { echo "xdg-mime names '$got'"; exit 1; }
grep -qx 'inode/directory=arbel.desktop;\?' "$work/config/mimeapps.list"
echo "default for inode/directory: $got"
