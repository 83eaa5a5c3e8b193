# Thousands of random messages from outside (commands, tray events, taskbar
# restarts, input, painting into no or a foreign device context, menus and the
# keyboard move cancelled mid-way) leave the gadget answering and alive; a
# flood of closes behind a swallowed one then ends it cleanly, settings saved.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/settings_check.sh"

start_gadget
for seed in 11 23 37; do
    if probe storm "$seed" "${STORM_COUNT:-1500}"; then
        e2e_log "storm $seed: $(tr '\n' ' ' <<<"$PROBE_OUT")"
    else
        fail "storm $seed: the gadget stopped answering ($(tr '\n' ' ' <<<"$PROBE_OUT"))"
    fi
    kill -0 "$GADGET_PID" 2>/dev/null || { fail "the gadget's process ended during storm $seed"; exit 1; }
done
probe info || fail "the window is gone after the storms"

rm -f "$E2E_DIR/Pollstate.txt"
if probe close-flood 200 $((E2E_WAIT_SECONDS * 1000)); then
    expect_eq "exit code after the close flood" "$(probe_value exit_code)" 0
else
    fail "the gadget did not end after the close flood ($PROBE_OUT)"
fi
code=0
wait "$GADGET_PID" || code=$?
GADGET_PID=""
expect_eq "exit code of the process" "$code" 0
expect_complete_settings "$E2E_DIR/Pollstate.txt"
finish
