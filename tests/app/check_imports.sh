#!/usr/bin/env bash
# Fails when the program imports any library but the few that the system itself
# protects (known DLLs, and comctl32, which the manifest binds to the system's
# side-by-side copy): Windows looks for any other statically imported library in
# the program's own folder first, where anyone may have dropped a look-alike.
# Also fails when the header lacks address-space layout randomisation or
# no-execute data (and, for x86_64, the whole 64-bit address space).
set -euo pipefail
objdump="$1"
exe="$2"
allowed='^(kernel32|user32|gdi32|advapi32|shell32|msvcrt|comctl32)\.dll$'

header=$("$objdump" -p "$exe")
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$header" | tr 'A-Z' 'a-z' | sort -u)
if [ -z "$dlls" ]; then
    echo "no import table found in $exe" >&2
    exit 1
fi
echo "imports:" $dlls
bad=$(grep -Ev "$allowed" <<<"$dlls" || true)
status=0
if [ -n "$bad" ]; then
    echo "imported but not protected by the system:" $bad >&2
    status=1
fi

flags=$(sed -n 's/^DllCharacteristics[[:space:]]*\([0-9a-fA-F]*\)$/\1/p' <<<"$header")
magic=$(sed -n 's/^Magic[[:space:]]*\([0-9a-fA-F]*\).*/\1/p' <<<"$header")
if [ -z "$flags" ] || [ -z "$magic" ]; then
    echo "no optional header found in $exe" >&2
    exit 1
fi
required=("DYNAMIC_BASE 0x40" "NX_COMPAT 0x100")
[ "$magic" = 020b ] && required+=("HIGH_ENTROPY_VA 0x20")  # PE32+
echo "DllCharacteristics: 0x$flags"
for entry in "${required[@]}"; do
    if (( (0x$flags & ${entry#* }) == 0 )); then
        echo "missing ${entry% *}" >&2
        status=1
    fi
done
exit "$status"
