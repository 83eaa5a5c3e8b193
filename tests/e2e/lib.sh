# Shared steps of the end-to-end tests: run the real gadget under Wine from a
# private copy (so it works in, and writes its settings to, a directory of its
# own), look at it and drive it with the probe, take screenshots, and check.
# A test script sources this file; the environment comes from the build:
# WINE_RUN, GADGET, PROBE, ARTIFACTS and SOURCE_DIR, and DISPLAY for the X server.
set -euo pipefail

: "${WINE_RUN:?}" "${GADGET:?}" "${PROBE:?}" "${ARTIFACTS:?}" "${DISPLAY:?}"

E2E_NAME=$(basename "$0" .sh)
E2E_NAME=${E2E_NAME%_test}
E2E_DIR="$ARTIFACTS/$E2E_NAME"
E2E_FAILURES=0
GADGET_PID=""
PROBE_OUT=""

rm -rf "$E2E_DIR"
mkdir -p "$E2E_DIR"
cp "$GADGET" "$E2E_DIR/VorneltGauge.exe"

# Whatever happens, no gadget of this test outlives it.
e2e_cleanup() {
    if [ -n "$GADGET_PID" ] && kill -0 "$GADGET_PID" 2>/dev/null; then
        kill "$GADGET_PID" 2>/dev/null || true
        sleep 1
        kill -9 "$GADGET_PID" 2>/dev/null || true
    fi
}
trap e2e_cleanup EXIT

e2e_log() { echo "[$E2E_NAME] $*"; }

fail() {
    echo "[$E2E_NAME] FAIL: $*" >&2
    E2E_FAILURES=$((E2E_FAILURES + 1))
}

# Runs one probe subcommand; its key=value lines land in PROBE_OUT and its exit
# code is returned (2: the gadget's window is not there).
probe() {
    local code=0
    "$WINE_RUN" "$PROBE" "$@" >"$E2E_DIR/probe.out" 2>"$E2E_DIR/probe.err" || code=$?
    PROBE_OUT=$(tr -d '\r' <"$E2E_DIR/probe.out")
    return "$code"
}

# The value of KEY in the last probe output.
probe_value() { sed -n "s/^$1=//p" <<<"$PROBE_OUT" | head -n 1; }

expect_eq() {  # what actual expected
    if [ "$2" != "$3" ]; then fail "$1: got '$2', expected '$3'"; fi
}

# Starts the gadget and waits until its window exists.
start_gadget() {
    (cd "$E2E_DIR" && exec "$WINE_RUN" "$E2E_DIR/VorneltGauge.exe" >"$E2E_DIR/gadget.log" 2>&1) &
    GADGET_PID=$!
    local code=0
    probe wait-window "${1:-20000}" || code=$?
    if [ "$code" -ne 0 ] && [ "$code" -ne 2 ] && kill -0 "$GADGET_PID" 2>/dev/null; then
        # The probe itself did not get to look (Wine can refuse a process start
        # for a moment after another was killed): ask once more.
        e2e_log "probe ended with $code without an answer; asking again"
        code=0
        probe wait-window "${1:-20000}" || code=$?
    fi
    if [ "$code" -ne 0 ]; then
        fail "the gadget's window did not appear (probe exit $code: $PROBE_OUT $(cat "$E2E_DIR/probe.err"))"
        exit 1
    fi
    e2e_log "window up: $PROBE_OUT"
}

# Drags the window with the left button by DX, DY pixels in ten steps, taking
# it 60 pixels right of and 6 below its top-left corner.
drag_gadget() {  # dx dy
    probe info
    local x=$(( $(probe_value left) + 60 )) y=$(( $(probe_value top) + 6 )) step
    xdotool mousemove "$x" "$y" mousedown 1
    sleep 0.3  # the system's move loop takes the cursor where it finds it
    for step in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousemove $((x + $1 * step / 10)) $((y + $2 * step / 10)); sleep 0.05
    done
    xdotool mouseup 1; sleep 0.5
}

# Saves a PNG of the gadget's window as $ARTIFACTS/NAME.png. The window is
# found on the X side by its title; if that fails the screen is cropped to the
# rectangle the probe reports.
screenshot() {
    local file="$ARTIFACTS/$1.png" id
    sleep "${2:-0.5}"
    id=$(xdotool search --onlyvisible --name '^Vornelt Gauge$' 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ] && import -window "$id" "$file" 2>/dev/null; then
        e2e_log "screenshot $file (X window $id)"
        return 0
    fi
    probe info || { fail "no window to take a screenshot of"; return 1; }
    local left top right bottom
    left=$(probe_value left); top=$(probe_value top)
    right=$(probe_value right); bottom=$(probe_value bottom)
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$file"
    e2e_log "screenshot $file (cropped from the screen)"
}

# Asks the gadget to close and checks it ends with exit code 0 within the limit.
close_gadget() {
    local limit_ms="${1:-5000}" code=0
    if ! probe close-and-wait "$limit_ms"; then
        fail "the gadget did not end within $limit_ms ms of WM_CLOSE ($PROBE_OUT)"
        return 1
    fi
    expect_eq "exit code seen by the probe" "$(probe_value exit_code)" 0
    wait "$GADGET_PID" || code=$?
    expect_eq "exit code of the process" "$code" 0
    GADGET_PID=""
}

# Waits for the gadget's process to end by itself and checks its exit code is 0.
expect_gadget_exit() {  # limit_ms
    local waited=0 code=0
    while kill -0 "$GADGET_PID" 2>/dev/null && [ "$waited" -lt "${1:-10000}" ]; do
        sleep 0.1; waited=$((waited + 100))
    done
    if kill -0 "$GADGET_PID" 2>/dev/null; then fail "the gadget still runs after $waited ms"; return 1; fi
    wait "$GADGET_PID" || code=$?
    GADGET_PID=""
    expect_eq "exit code of the process" "$code" 0
}

# Ends the test: nonzero when any check failed.
finish() {
    if [ "$E2E_FAILURES" -ne 0 ]; then
        e2e_log "$E2E_FAILURES check(s) failed"
        exit 1
    fi
    e2e_log "passed"
    exit 0
}
