# Shared steps of the end-to-end tests: run the real gadget under Wine from a
# private copy (so it works in, and writes its settings to, a directory of its
# own), look at it and drive it with the probe, take screenshots, and check.
# A test script sources this file; the environment comes from the build:
# WINE_RUN, GADGET, PROBE, ARTIFACTS and SOURCE_DIR, and DISPLAY for the X server.
set -euo pipefail

: "${WINE_RUN:?}" "${GADGET:?}" "${PROBE:?}" "${ARTIFACTS:?}" "${DISPLAY:?}"

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_NAME=$(basename "$0" .sh)
E2E_NAME=${E2E_NAME%_test}
E2E_DIR="$ARTIFACTS/$E2E_NAME"
E2E_FAILURES=0
GADGET_PID=""
PROBE_OUT=""
KERNEL_RECORDER=""
KERNEL_RECORD=""
E2E_BACKGROUND=""  # processes a test started (busy loops), ended with it
# How long a check waits for the state it needs. A machine busy with other work
# can run Wine, X and the gadget seconds late; only a state that never comes
# should fail a check, so the limit is generous and the wait ends as soon as the
# state is there.
E2E_WAIT_SECONDS=${E2E_WAIT_SECONDS:-30}

rm -rf "$E2E_DIR"
mkdir -p "$E2E_DIR"
cp "$GADGET" "$E2E_DIR/VorneltGauge.exe"

# Whatever happens, no gadget of this test outlives it.
e2e_cleanup() {
    kernel_record_stop
    local pid
    for pid in $E2E_BACKGROUND; do kill "$pid" 2>/dev/null || true; done
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
    local code attempt
    for attempt in 1 2 3; do
        code=0
        "$WINE_RUN" "$PROBE" "$@" >"$E2E_DIR/probe.out" 2>"$E2E_DIR/probe.err" || code=$?
        # Failing without a word, the probe most likely never ran: on a busy
        # machine Wine can refuse a process start for a moment. Asked again.
        if [ "$code" -eq 0 ] || [ -s "$E2E_DIR/probe.out" ] || [ -s "$E2E_DIR/probe.err" ]; then break; fi
        e2e_log "probe $1 ended with $code without a word (attempt $attempt)"
        sleep 1
    done
    PROBE_OUT=$(tr -d '\r' <"$E2E_DIR/probe.out")
    return "$code"
}

# The value of KEY in the last probe output.
probe_value() { sed -n "s/^$1=//p" <<<"$PROBE_OUT" | head -n 1; }

expect_eq() {  # what actual expected
    if [ "$2" != "$3" ]; then fail "$1: got '$2', expected '$3'"; fi
}

# Runs COMMAND... until it succeeds; false when it has not within the limit.
wait_until() {
    local deadline=$((SECONDS + E2E_WAIT_SECONDS))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

# Starts the probe holding FILE (a Unix path) open for MS milliseconds, alone or
# "shared" for reading and writing, its words in OUT; returns once it holds the
# file, with the holder's pid in HOLDER. On a busy machine Wine now and then
# starts a process that never runs: a holder silent for the whole wait, or gone
# without holding, is started again, twice at most.
hold_file() {  # file ms sharing(""|shared) out
    local windows_path attempt
    windows_path='Z:'"$(sed 's|/|\\|g' <<<"$1")"
    for attempt in 1 2 3; do
        "$WINE_RUN" "$PROBE" hold-file "$windows_path" "$2" $3 >"$4" 2>&1 &
        HOLDER=$!
        E2E_BACKGROUND+=" $HOLDER"
        wait_until holder_answered "$4" || true
        grep -q 'held=1' "$4" && return 0
        kill "$HOLDER" 2>/dev/null || true
        wait "$HOLDER" 2>/dev/null || true
        e2e_log "hold attempt $attempt came to nothing: $(cat "$4")"
    done
    fail "the probe could not hold the file: $(cat "$4")"
    return 1
}
holder_answered() { grep -q 'held=' "$1" || ! kill -0 "$HOLDER" 2>/dev/null; }

# Runs COMMAND... until it prints EXPECTED, then checks its last output.
expect_soon() {  # what expected command...
    local what=$1 expected=$2 actual deadline=$((SECONDS + E2E_WAIT_SECONDS))
    shift 2
    while actual=$("$@" 2>/dev/null) || true; [ "$actual" != "$expected" ]; do
        [ "$SECONDS" -lt "$deadline" ] || break
        sleep 0.2
    done
    expect_eq "$what" "$actual" "$expected"
}

# One value of the window as the probe sees it now.
info_value() { probe info >/dev/null; probe_value "$1"; }

# Starts the gadget (from GADGET_FOLDER when set, through the command in the
# GADGET_LAUNCHER array when set, such as the scripted machine) and waits until
# its window exists.
start_gadget() {
    local folder="${GADGET_FOLDER:-$E2E_DIR}"
    (cd "$folder" && exec ${GADGET_LAUNCHER[@]+"${GADGET_LAUNCHER[@]}"} "$WINE_RUN" "$folder/VorneltGauge.exe" \
        >"$E2E_DIR/gadget.log" 2>&1) &
    GADGET_PID=$!
    local code=0
    probe wait-window "${1:-$((E2E_WAIT_SECONDS * 1000))}" || code=$?
    if [ "$code" -ne 0 ] && [ "$code" -ne 2 ] && kill -0 "$GADGET_PID" 2>/dev/null; then
        # The probe itself did not get to look (Wine can refuse a process start
        # for a moment after another was killed): ask once more.
        e2e_log "probe ended with $code without an answer; asking again"
        code=0
        probe wait-window "${1:-$((E2E_WAIT_SECONDS * 1000))}" || code=$?
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
    # The system's move loop takes the cursor where it finds it, so the cursor
    # moves only once the loop runs, and the drag ends when the loop has seen
    # the button go up.
    xdotool mousemove "$x" "$y" mousedown 1
    expect_soon "the move loop runs after the button went down" 1 info_value moving
    for step in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousemove $((x + $1 * step / 10)) $((y + $2 * step / 10)); sleep 0.05
    done
    xdotool mouseup 1
    expect_soon "the move loop ends with the button up" 0 info_value moving
}

# Saves a PNG of the gadget's window as $ARTIFACTS/NAME.png. The window is
# found on the X side by its title; if that fails the screen is cropped to the
# rectangle the probe reports.
screenshot() {
    local file="$ARTIFACTS/$1.png" id=""
    find_x_window() {
        id=$(xdotool search --onlyvisible --name '^Vornelt Gauge$' 2>/dev/null | head -n 1 || true)
        [ -n "$id" ]
    }
    wait_until find_x_window || true
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

# The kernel's per-processor figures (tests/e2e/kernel_load.py), recorded in the
# background from here until the test ends, to check bars against.
kernel_record_start() {
    KERNEL_RECORD="$E2E_DIR/kernel_load.txt"
    python3 "$E2E_LIB_DIR/kernel_load.py" record "$KERNEL_RECORD" &
    KERNEL_RECORDER=$!
    wait_until test -s "$KERNEL_RECORD" || fail "no kernel figures recorded"
}

kernel_record_stop() {
    if [ -n "$KERNEL_RECORDER" ]; then
        kill "$KERNEL_RECORDER" 2>/dev/null || true
        wait "$KERNEL_RECORDER" 2>/dev/null || true
        KERNEL_RECORDER=""
    fi
}

# Takes screenshot NAME and checks every processor's bar against what the kernel
# reported for the seconds the bar can show, within TOLERANCE points. The bars'
# lengths land in BARS (bar<k>=<pixels> lines) and the findings in BAR_CHECK.
BARS=""
BAR_CHECK=""
bars_follow_kernel() {  # name processors tolerance
    local before after percents=() k length
    before=$(date +%s.%N)
    screenshot "$1" >/dev/null
    after=$(date +%s.%N)
    BARS=$(python3 "$E2E_LIB_DIR/meter_pixels.py" "$ARTIFACTS/$1.png" "$2" | grep '^bar[0-9]' || true)
    for ((k = 0; k < $2; k++)); do
        length=$(sed -n "s/^bar$k=//p" <<<"$BARS")
        [ -n "$length" ] || { BAR_CHECK="no bar $k in the screenshot"; return 1; }
        # A bar of n pixels shows a usage from n / 1.2 up to the next pixel.
        percents+=("$(awk -v n="$length" 'BEGIN { printf "%.2f", (n + 0.5) / 1.2 }')")
    done
    local code=0
    BAR_CHECK=$(python3 "$E2E_LIB_DIR/kernel_load.py" check "$KERNEL_RECORD" \
        "$(awk -v a="$before" -v b="$after" 'BEGIN { printf "%.3f", (a + b) / 2 }')" "$3" \
        "${percents[@]}") || code=$?
    return "$code"
}

# The scripted machine (tools/scripted_machine) in MACHINE; where this machine
# cannot run one (no mount namespaces), the test ends as skipped, saying why.
MACHINE="$SOURCE_DIR/tools/scripted_machine/scripted-machine"
scripted_machine_or_skip() {
    local code=0
    "$MACHINE" 1 0 -- true 2>"$E2E_DIR/machine.err" || code=$?
    if [ "$code" -eq 77 ]; then
        e2e_log "skipped: $(cat "$E2E_DIR/machine.err")"
        exit 0
    fi
    [ "$code" -eq 0 ] || { fail "the scripted machine does not start: $(cat "$E2E_DIR/machine.err")"; finish; }
}

# Asks the gadget to close and checks it ends with exit code 0 within the limit.
close_gadget() {
    local limit_ms="${1:-$((E2E_WAIT_SECONDS * 1000))}" code=0
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
    while kill -0 "$GADGET_PID" 2>/dev/null && [ "$waited" -lt "${1:-$((E2E_WAIT_SECONDS * 1000))}" ]; do
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
