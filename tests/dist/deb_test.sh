#!/usr/bin/env bash
# The Debian package, built by CPack from the already built program: it holds
# exactly the expected files under /usr and names its libraries as dependencies.
# Usage: deb_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/arbel_*.deb)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | LC_ALL=C sort >"$work/got"
grep -v '^#' "$here/expected_files.txt" | LC_ALL=C sort >"$work/want"
diff -u "$work/want" "$work/got"

[ "$(dpkg-deb -f "$deb" Package)" = arbel ]
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6dbus6 libglib2.0-0 libc6 adwaita-icon-theme; do
  case ", $depends," in *", $lib"[\ ,]*) ;; *) echo "Depends lacks $lib: $depends"; exit 1 ;; esac
done
echo "package $(basename "$deb"): $(wc -l <"$work/got") files, Depends: $depends"
