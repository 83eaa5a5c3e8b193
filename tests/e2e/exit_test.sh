# Exit from the menu ends the process with code 0, whatever the samplers are
# doing at that moment. How long it took, from the command to the process's
# end, is printed for each round and not checked: a busy machine may take
# longer. That the samplers answer the stop at once, not after their interval,
# the sampler and main window tests show without a clock. A cancelled end of
# the session leaves it running. A change that another program keeps out of the
# settings file is in it after Exit when that program lets go a second later.
source "$(dirname "$0")/lib.sh"

figures=""
# The rounds stop the samplers at different points of their one-second turn.
for pause in 1.2 1.5 1.8 2.1 2.4; do
    start_gadget
    sleep "$pause"
    if ! probe command-and-wait 40005 $((E2E_WAIT_SECONDS * 1000)); then
        fail "the gadget did not end after Exit ($PROBE_OUT)"
        exit 1
    fi
    expect_eq "exit code seen by the probe" "$(probe_value exit_code)" 0
    code=0
    wait "$GADGET_PID" || code=$?
    GADGET_PID=""
    expect_eq "exit code of the process" "$code" 0
    figures+=" $(probe_value elapsed_ms)"
    e2e_log "Exit $pause s after the window came up: process gone after $(probe_value elapsed_ms) ms"
done
e2e_log "ms from Exit to the process's end:$figures"

# A session end that is asked about, then cancelled (another program vetoed
# it, or the user), leaves the gadget running; one that goes through ends it,
# with its settings saved.
source "$(dirname "$0")/settings_check.sh"
settings="$E2E_DIR/Pollstate.txt"
printf '<POSITION><x1>70</x1><y1>90</y1></POSITION><TRANS>0</TRANS>' >"$settings"
start_gadget
probe send WM_QUERYENDSESSION 0 0
expect_eq "asked whether the session may end: yes" "$(probe_value result)" 1
probe send WM_ENDSESSION 0 0
sleep 1
expect_eq "cancelled: still running" "$(info_value visible)" 1
probe send WM_COMMAND 40007 0
probe send WM_QUERYENDSESSION 0 0
probe send WM_ENDSESSION 1 0
expect_gadget_exit
expect_complete_settings "$settings"
expect_eq "ended with the session: translucency saved" "$(settings_value "$settings" TRANS)" 1

printf '<POSITION><x1>70</x1><y1>90</y1></POSITION><TRANS>0</TRANS>' >"$settings"
start_gadget
hold_file "$settings" 600000 "" "$E2E_DIR/hold.out" || true
holder=$HOLDER
probe command 40007
probe post WM_COMMAND 40005 0
sleep 1
kill -0 "$GADGET_PID" 2>/dev/null || fail "the gadget ended without waiting for the held file"
kill "$holder"
wait "$holder" 2>/dev/null || true
expect_gadget_exit
expect_eq "let go a second after Exit: translucency saved" "$(settings_value "$settings" TRANS)" 1
finish
