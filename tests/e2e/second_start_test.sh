# One gadget per settings file: starting the program again from the same folder
# brings the running gadget forward (unfolded, on top) and ends with code 0,
# leaving a single gadget window; a copy in another folder runs beside it.
source "$(dirname "$0")/lib.sh"

window_count() { probe windows >/dev/null; probe_value count; }

printf '<POSITION><x1>200</x1><y1>100</y1></POSITION>' >"$E2E_DIR/Pollstate.txt"
start_gadget
probe info
first_pid=$(probe_value pid)
probe command 40013
expect_soon "folded before the second start" 0 info_value visible

# The limit only keeps a hung second start from holding up the run.
started=$(date +%s%N)
code=0
(cd "$E2E_DIR" && timeout 30 "$WINE_RUN" "$E2E_DIR/VorneltGauge.exe" >"$E2E_DIR/second.log" 2>&1) || code=$?
e2e_log "second start ended with $code after $(( ($(date +%s%N) - started) / 1000000 )) ms"
expect_eq "exit code of the second start" "$code" 0
expect_eq "gadget windows after the second start" "$(window_count)" 1
probe info
expect_eq "brought forward: the first gadget" "$(probe_value pid)" "$first_pid"
expect_eq "brought forward: shown" "$(probe_value visible)" 1
expect_eq "brought forward: on top" "$(probe_value topmost)" 1
expect_eq "brought forward: where it was" "$(probe_value left),$(probe_value top)" 200,100

# Another folder, another settings file: a second gadget.
other="$E2E_DIR/other"
mkdir -p "$other"
cp "$E2E_DIR/VorneltGauge.exe" "$other/"
printf '<POSITION><x1>500</x1><y1>300</y1></POSITION>' >"$other/Pollstate.txt"
(cd "$other" && exec "$WINE_RUN" "$other/VorneltGauge.exe" >"$other/gadget.log" 2>&1) &
other_pid=$!
for _ in $(seq 100); do [ "$(window_count)" = 2 ] && break; sleep 0.2; done
expect_eq "gadgets from two folders" "$(window_count)" 2
kill "$other_pid" 2>/dev/null || true
wait "$other_pid" 2>/dev/null || true
for _ in $(seq 50); do [ "$(window_count)" = 1 ] && break; sleep 0.2; done
close_gadget 5000
finish
