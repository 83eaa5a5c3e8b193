# Exit from the menu ends the process with code 0, whatever the samplers are
# doing at that moment. How long it took, from the command to the process's
# end, is printed for each round and not checked: a busy machine may take
# longer. That the samplers answer the stop at once, not after their interval,
# the sampler and main window tests show without a clock.
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
finish
