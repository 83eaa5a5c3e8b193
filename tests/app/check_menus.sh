#!/usr/bin/env bash
# The menus the resources carry are what the menu generator writes: its items,
# texts and the names of their ids. Usage: check_menus.sh PYTHON SOURCE_DIR
set -euo pipefail
python=$1 source=$2
written=$(mktemp)
trap 'rm -f "$written"' EXIT
"$python" "$source/tools/make_menus.py" "$written"
if ! cmp -s "$written" "$source/resources/menus.rc"; then
  echo "resources/menus.rc is not what tools/make_menus.py writes; run it again:" >&2
  diff "$written" "$source/resources/menus.rc" >&2 || true
  exit 1
fi
