#!/usr/bin/env bash
# The program as shipped (stripped, as the release package holds it) stays small:
# prints its size and fails above 400 KB.
set -euo pipefail
strip="$1"
exe="$2"
copy=$(mktemp)
trap 'rm -f "$copy"' EXIT
"$strip" -o "$copy" "$exe"
size=$(stat -c %s "$copy")
echo "shipped size: $size bytes ($((size / 1024)) KB)"
[ "$size" -le $((400 * 1024)) ]
