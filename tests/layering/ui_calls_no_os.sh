#!/usr/bin/env bash
# The interface renders and routes; it never calls the operating system itself and
# reaches the platform layer only through core. Fails on any system header, system
# call or platform include in src/ui outside the list of known offenders below, and
# on a listed offender that no longer offends (so the list only ever shrinks).
set -euo pipefail
ui="${1:?usage: ui_calls_no_os.sh <src/ui folder>}"

# Known offenders, each to be removed once its file is clean. None is left; a new
# entry needs a reason beside it.
allowed=()

pattern='#include "platform/|#include <(sys/[a-z_]+|unistd|fcntl|dirent|mntent|pwd)\.h>|struct stat\b|(^|[^A-Za-z0-9_])::(l?stat|fstat|fstatat|statx|statvfs|open|openat|read|write|close|opendir|readdir|access|faccessat|readlink|mkdir|rmdir|unlink|rename|renameat2?|chmod|chown|utimensat|getuid|realpath)\(|\b(getenv|setenv|opendir|readdir|realpath|getpwuid)\('

status=0
declare -A offends=()
while IFS= read -r hit; do
    file="${hit%%:*}"
    rel="${file#"$ui"/}"
    offends["$rel"]=1
    if [[ ! " ${allowed[*]} " =~ " $rel " ]]; then
        echo "calls the system directly: $hit"
        status=1
    fi
done < <(grep -rnE "$pattern" "$ui" --include='*.cpp' --include='*.h' || true)

for rel in "${allowed[@]}"; do
    if [[ -z "${offends[$rel]:-}" ]]; then
        echo "no longer offends, remove it from the list in $0: $rel"
        status=1
    fi
done
[[ $status -eq 0 ]] && echo "src/ui reaches the system only through core (${#allowed[@]} known offenders)"
exit $status
