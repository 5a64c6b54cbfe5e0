#!/usr/bin/env bash
# `cmake --install` into a temporary DESTDIR under an unusual prefix: exactly the
# expected files, a desktop entry and metainfo that the validators accept, icons
# of the sizes their folders claim, and an installed program that runs.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=/opt/arbel-test
stage=$work/stage

DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >"$work/install.log"
# Nothing may land outside the prefix.
[ "$(ls -A "$stage")" = "opt" ] || { echo "files outside the prefix:"; ls -A "$stage"; exit 1; }
(cd "$stage$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$work/got"
grep -v '^#' "$here/expected_files.txt" | LC_ALL=C sort >"$work/want"
diff -u "$work/want" "$work/got"

share=$stage$prefix/share
desktop-file-validate "$share/applications/arbel.desktop"
appstreamcli validate --no-net "$share/metainfo/org.arbel.Arbel.metainfo.xml"

for line in "Name=Arbel" "GenericName=File Manager" "Categories=System;FileTools;FileManager;Qt;" \
            "MimeType=inode/directory;" "Exec=arbel %U" "Icon=arbel"; do
  grep -qxF "$line" "$share/applications/arbel.desktop" || { echo "arbel.desktop lacks: $line"; exit 1; }
done
grep -q '<launchable type="desktop-id">arbel.desktop</launchable>' "$share/metainfo/org.arbel.Arbel.metainfo.xml"

# Each PNG is a PNG of the size its folder names (width and height from IHDR).
for png in "$share"/icons/hicolor/*x*/apps/arbel.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || { echo "not a PNG: $png"; exit 1; }
  w=$((16#$(od -An -tx1 -j16 -N4 "$png" | tr -d ' \n')))
  h=$((16#$(od -An -tx1 -j20 -N4 "$png" | tr -d ' \n')))
  [ "${w}x${h}" = "$size" ] || { echo "$png is ${w}x${h}"; exit 1; }
done

"$stage$prefix/bin/arbel" --version | grep -qx "arbel [0-9.]*"
"$stage$prefix/bin/arbel" --help | grep -q "Usage: arbel"
echo "install layout: $(wc -l <"$work/got") files as expected"
