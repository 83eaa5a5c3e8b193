# The settings file survives the gadget being killed at any moment: while it
# runs (no save happens then), while it saves (closing and killed a moment
# later) or after a clean exit (which saves). Every time the file is either the
# previous complete file or a complete new one, never empty or cut short.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/settings_check.sh"

settings="$E2E_DIR/Pollstate.txt"
printf '%s' '<POSITION><x1>100</x1><x2>340</x2><y1>80</y1><y2>104</y2></POSITION><FRAME_RATE>30</FRAME_RATE><AUTO_HIDE>0</AUTO_HIDE><TRANS>0</TRANS><TRANSRATE>200</TRANSRATE><ICON>0</ICON><MSG00>MS UI Gothic</MSG00><MSG01>Free</MSG01>' >"$settings"

RANDOM=${KILL_SEED:-7}
rounds=${KILL_ROUNDS:-9}
for round in $(seq 1 "$rounds"); do
    cp "$settings" "$E2E_DIR/previous.txt"
    start_gadget
    probe command 40007   # translucency flips
    probe command 40011   # auto-hide flips
    sleep "0.$((RANDOM % 10))"
    case $((round % 3)) in
    1)  # killed while running: nothing is saved
        if [ $((RANDOM % 2)) -eq 0 ]; then kind="kill -9"; kill -9 "$GADGET_PID"
        else kind="terminate"; probe terminate || fail "round $round: the probe could not end the gadget"; fi
        wait "$GADGET_PID" 2>/dev/null || true
        GADGET_PID=""
        cmp -s "$settings" "$E2E_DIR/previous.txt" || fail "round $round ($kind): the file changed without a save"
        ;;
    2)  # asked to close and killed a moment later, maybe in the middle of saving
        delay=$((RANDOM % 400))
        kind="close, kill -9 after $delay ms"
        probe post WM_CLOSE 0 0
        sleep "$(printf '0.%03d' "$delay")"
        kill -9 "$GADGET_PID" 2>/dev/null || true
        wait "$GADGET_PID" 2>/dev/null || true
        GADGET_PID=""
        ;;
    0)  # clean exit: a new file with both options flipped
        kind="clean exit"
        close_gadget
        expect_eq "round $round: saved translucency" "$(settings_value "$settings" TRANS)" \
            "$((1 - $(settings_value "$E2E_DIR/previous.txt" TRANS)))"
        expect_eq "round $round: saved auto-hide" "$(settings_value "$settings" AUTO_HIDE)" \
            "$((1 - $(settings_value "$E2E_DIR/previous.txt" AUTO_HIDE)))"
        ;;
    esac
    expect_complete_settings "$settings"
    # What the user set by hand and nothing changes is carried through every save.
    expect_eq "round $round: opacity kept" "$(settings_value "$settings" TRANSRATE)" 200
    if cmp -s "$settings" "$E2E_DIR/previous.txt"; then state="previous file"; else state="new file"; fi
    e2e_log "round $round ($kind): $state"
done
finish
