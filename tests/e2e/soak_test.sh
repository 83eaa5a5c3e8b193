# The gadget running at 30 frames a second, folded and unfolded, translucent
# and opaque over and over, does not grow: resident size and private bytes stay
# within 2 MB of the first interval's, GDI, USER and kernel handles not at all.
#
# The test command runs 90 s sampled each 10 s. The long run (10 minutes,
# sampled each minute), from a configured Windows build directory:
#   SOAK_SECONDS=600 ctest -R e2e_soak -V
# or directly, with the environment the build gives the test:
#   SOAK_SECONDS=600 WINE_RUN=... GADGET=... PROBE=... ARTIFACTS=... DISPLAY=... bash tests/e2e/soak_test.sh
# The curve is printed and kept in $ARTIFACTS/soak/curve.txt.
source "$(dirname "$0")/lib.sh"

seconds=${SOAK_SECONDS:-90}
interval=${SOAK_INTERVAL:-$([ "$seconds" -ge 600 ] && echo 60 || echo 10)}
growth_limit_kb=2048
curve="$E2E_DIR/curve.txt"

start_gadget
# The Windows process of this very copy (other gadgets may run beside it).
wine_pid=$(pgrep -f "$E2E_DIR/VorneltGauge.exe" | head -n 1 || true)
[ -n "$wine_pid" ] || { fail "no process runs $E2E_DIR/VorneltGauge.exe"; exit 1; }

# One round of what a user does: translucent, fold, unfold by double click,
# opaque; the gadget is back in its first state afterwards.
exercise() {
    probe command 40007; sleep 0.5
    probe command 40013; sleep 1
    probe tray WM_LBUTTONDBLCLK; sleep 0.5
    probe command 40013; sleep 1
    probe command 40013; sleep 0.5
    probe command 40007
}

sample() {  # elapsed seconds
    local rss
    rss=$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$wine_pid/status" 2>/dev/null || true)
    if ! probe stats; then fail "no figures at $1 s ($PROBE_OUT)"; return; fi
    printf '%6s %9s %12s %5s %5s %7s\n' "$1" "${rss:-?}" "$(( $(probe_value private_bytes) / 1024 ))" \
        "$(probe_value gdi_objects)" "$(probe_value user_objects)" "$(probe_value kernel_handles)" \
        | tee -a "$curve"
}

printf '%6s %9s %12s %5s %5s %7s\n' seconds rss_kb private_kb gdi user handles | tee "$curve"
start=$SECONDS
next=$interval
while [ $((SECONDS - start)) -lt "$seconds" ]; do
    exercise
    while [ $((SECONDS - start)) -lt "$next" ]; do sleep 1; done
    sample "$next"
    next=$((next + interval))
done

# Every later sample against the first one.
read -r _ rss0 priv0 gdi0 user0 handles0 < <(sed -n 2p "$curve")
while read -r t rss priv gdi user handles; do
    [ "$rss" = "?" ] || [ $((rss - rss0)) -lt "$growth_limit_kb" ] || fail "resident size grew $((rss - rss0)) kB by $t s"
    [ $((priv - priv0)) -lt "$growth_limit_kb" ] || fail "private bytes grew $((priv - priv0)) kB by $t s"
    [ "$gdi" -le "$gdi0" ] || fail "GDI objects grew from $gdi0 to $gdi by $t s"
    [ "$user" -le "$user0" ] || fail "USER objects grew from $user0 to $user by $t s"
    [ "$handles" -le "$handles0" ] || fail "kernel handles grew from $handles0 to $handles by $t s"
done < <(sed -n '3,$p' "$curve")
if [ "$gdi0" = 0 ] && [ "$priv0" = 0 ] && [ "$handles0" = 0 ]; then
    e2e_log "this Wine reports no private bytes, objects or handles of another process (0): the resident size is what is checked"
fi

probe info || fail "the window is gone after the soak"
close_gadget
finish
