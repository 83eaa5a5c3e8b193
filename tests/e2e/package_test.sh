# The release ZIP holds the program and its readme in one folder; unpacked
# anywhere, the program starts from there, shows its window, and on exit keeps
# its settings beside itself in that folder. The program carries its version
# information and manifest.
# Arguments: the build directory, cpack, windres.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/settings_check.sh"

build_dir=$1 cpack=$2 windres=$3

(cd "$E2E_DIR" && "$cpack" -G ZIP --config "$build_dir/CPackConfig.cmake" >cpack.log 2>&1) \
    || { fail "cpack failed: $(tail -n 5 "$E2E_DIR/cpack.log")"; exit 1; }
zip=$(sed -n 's/^CPack: - package: \(.*\.zip\) generated\.$/\1/p' "$E2E_DIR/cpack.log" | tail -n 1)
[ -n "$zip" ] && [ -f "$zip" ] || { fail "no ZIP was made: $(tail -n 3 "$E2E_DIR/cpack.log")"; exit 1; }
e2e_log "package $(basename "$zip"), $(stat -c %s "$zip") bytes"

mkdir -p "$E2E_DIR/unpacked"
(cd "$E2E_DIR/unpacked" && cmake -E tar xf "$zip")
folder=$(ls -d "$E2E_DIR"/unpacked/*/ | head -n 1)
folder=${folder%/}
expect_eq "files in the package" "$(cd "$folder" && ls | tr '\n' ' ')" "README.txt VorneltGauge.exe "
grep -q 'Pollstate.txt' "$folder/README.txt" || fail "the readme does not say where the settings live"
grep -q $'\r$' "$folder/README.txt" || fail "the readme lacks Windows line ends"

resources=$("$windres" -i "$folder/VorneltGauge.exe" -O rc 2>/dev/null || true)
grep -q 'VALUE "ProductName", "Vornelt Gauge"' <<<"$resources" || fail "no product name in the version information"
grep -q 'RT_MANIFEST' <<<"$resources" || fail "no manifest in the program"
grep -q 'asInvoker' <<<"$resources" || fail "the manifest asks for other rights than the user's"
# Drawn at each monitor's own scale: the system must not stretch it.
grep -q 'true/pm' <<<"$resources" || fail "the manifest does not declare per-monitor DPI awareness"
grep -q 'PerMonitorV2, PerMonitor' <<<"$resources" || fail "the manifest does not declare PerMonitorV2 awareness"

# Started from another directory: the settings go beside the program all the same.
(cd "$E2E_DIR" && exec "$WINE_RUN" "$folder/VorneltGauge.exe" >"$E2E_DIR/gadget.log" 2>&1) &
GADGET_PID=$!
probe wait-window $((E2E_WAIT_SECONDS * 1000)) || { fail "the unpacked gadget's window did not appear"; exit 1; }
expect_soon visible 1 info_value visible
probe command 40005 || fail "the Exit command could not be posted"
gadget_ended() { ! kill -0 "$GADGET_PID" 2>/dev/null; }
wait_until gadget_ended || { fail "the gadget did not end after Exit"; exit 1; }
code=0
wait "$GADGET_PID" || code=$?
GADGET_PID=""
expect_eq "exit code after Exit" "$code" 0
expect_complete_settings "$folder/Pollstate.txt"
[ ! -e "$E2E_DIR/Pollstate.txt" ] || fail "settings were written to the working directory"
finish
