# The settings file survives the gadget being killed at any moment: while it
# runs (options switched a moment before are saved as they change), while it
# saves (closing and killed a moment later) or after a clean exit (which
# saves). Every time the file is either the previous complete file or a
# complete new one, never empty or cut short. A place dragged to and
# translucency switched on come back after a kill.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/settings_check.sh"

settings="$E2E_DIR/Pollstate.txt"
printf '<POSITION><x1>100</x1><y1>80</y1></POSITION><TRANS>0</TRANS><TRANSRATE>200</TRANSRATE>' >"$settings"
xdotool mousemove 5 5
start_gadget
probe info
left=$(probe_value left); top=$(probe_value top)
drag_gadget 100 50
xdotool mousemove 5 5
saved_place() { echo "$(settings_value "$settings" x1),$(settings_value "$settings" y1)"; }
expect_soon "saved when the drag ended" "$((left + 100)),$((top + 50))" saved_place
probe send WM_COMMAND 40007 0
kill -9 "$GADGET_PID"
wait "$GADGET_PID" 2>/dev/null || true
GADGET_PID=""
start_gadget
probe info
expect_eq "after a kill: the dragged place" "$(probe_value left),$(probe_value top)" \
    "$((left + 100)),$((top + 50))"
# The window is found as soon as it exists, before its creation has made it
# translucent: looked at again until it has.
expect_soon "after a kill: translucent" 200 info_value alpha
close_gadget 5000

# Another program holds the file while an option is switched (a sync client
# just after the last save): the change is in the file within seconds of the
# holder letting go, whether it shared reading and writing (not deleting) or
# nothing at all, and a gadget killed then comes back with it.
start_gadget
# Translucent as the kill above left it; switched twice below, so again at the end.
expect_eq "translucent before the holds" "$(settings_value "$settings" TRANS)" 1
for sharing in shared unshared; do
    before=$(settings_value "$settings" TRANS)
    hold_file "$settings" 4000 "$([ $sharing = shared ] && echo shared)" "$E2E_DIR/hold.out" || true
    probe command 40007
    wait "$HOLDER" || true
    released=$SECONDS
    expect_soon "held $sharing: the switch reaches the file" "$((1 - before))" settings_value "$settings" TRANS
    e2e_log "held $sharing: in the file $((SECONDS - released)) s after the holder let go"
done
probe terminate || fail "the probe could not end the gadget"
wait "$GADGET_PID" 2>/dev/null || true
GADGET_PID=""
start_gadget
expect_eq "killed after the file was free again: translucent" "$(info_value alpha)" 200
close_gadget

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
    1)  # killed while running: the switched options may have been saved
        if [ $((RANDOM % 2)) -eq 0 ]; then kind="kill -9"; kill -9 "$GADGET_PID"
        else kind="terminate"; probe terminate || fail "round $round: the probe could not end the gadget"; fi
        wait "$GADGET_PID" 2>/dev/null || true
        GADGET_PID=""
        # Translucency is switched first, so a file saved since carries it.
        cmp -s "$settings" "$E2E_DIR/previous.txt" ||
            expect_eq "round $round ($kind): saved translucency" "$(settings_value "$settings" TRANS)" \
                "$((1 - $(settings_value "$E2E_DIR/previous.txt" TRANS)))"
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
