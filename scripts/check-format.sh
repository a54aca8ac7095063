#!/usr/bin/env bash
# Checks every tracked C++ source against the repository's .clang-format without changing any file.
# Lists the files that differ and exits 1 when there are any; exits 2 when the check itself cannot run.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v clang-format >/dev/null 2>&1; then
    echo "check-format: clang-format is not installed (scripts/install-deps.sh installs it)" >&2
    exit 2
fi

report=$(mktemp)
trap 'rm -f "$report"' EXIT

# Tracked sources outside build/ that exist in the work tree (a deletion may not be committed yet).
status=0
git ls-files -z -- '*.cpp' '*.h' | while IFS= read -r -d '' file; do
    case "$file" in build/*) continue ;; esac
    [ -f "$file" ] && printf '%s\0' "$file"
done | xargs -0 -r -n 16 -P "$(nproc)" clang-format --dry-run -Werror --style=file 2>"$report" || status=$?

# Each difference is reported as "FILE:LINE:COL: error: code should be clang-formatted".
offenders=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' "$report" | sort -u)
if [ -n "$offenders" ]; then
    echo "$offenders"
    echo "check-format: $(echo "$offenders" | wc -l) file(s) differ from .clang-format (fix: clang-format -i FILE)" >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    cat "$report" >&2
    echo "check-format: clang-format failed" >&2
    exit 2
fi
echo "check-format: every tracked source is formatted"
