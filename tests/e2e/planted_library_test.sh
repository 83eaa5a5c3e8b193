# Libraries dropped beside the gadget never run in it. A winmm.dll, a pdh.dll
# and an oleacc.dll planted in its folder, which leave a marker file when loaded, stay
# unloaded while Wine is told to search as Windows does, and the gadget still
# measures; without that override it behaves as ever. A program that imports
# all three the ordinary way shows first that the markers do appear when loaded.
#   planted_library_test.sh C_COMPILER   (the mingw compiler of the build under test)
source "$(dirname "$0")/lib.sh"

cc="${1:?the C compiler of the build under test}"
here=$(dirname "$0")
processors=$(nproc)
[ "$processors" -le 32 ] || processors=32
busy=""
trap '[ -z "$busy" ] || kill "$busy" 2>/dev/null; e2e_cleanup' EXIT

for name in winmm pdh oleacc; do
    "$cc" -shared -O2 -Wall -Wextra -Wl,--kill-at -o "$E2E_DIR/$name.dll" "$here/planted_library.c"
done
"$cc" -O2 -o "$E2E_DIR/control.exe" "$here/planted_control.c" -lpdh -lwinmm -loleacc -luuid

# The markers present, in lower case (a library takes the name it was asked for).
markers() { (cd "$E2E_DIR" && ls -- *.loaded 2>/dev/null | tr 'A-Z' 'a-z' | LC_ALL=C sort | tr '\n' ' ') || true; }

# A busy loop pinned to host processor 0 (Wine's processor 0) fills that
# processor whatever else the host runs: its bar has to grow long.
busy_bar_grows() {  # label
    taskset -c 0 sh -c 'while :; do :; done' &
    busy=$!
    local high=0 bar0=""
    for _ in 1 2 3 4 5 6 7 8; do
        sleep 1
        screenshot "$1" 0 || true
        bar0=$(python3 "$here/meter_pixels.py" "$ARTIFACTS/$1.png" "$processors" 2>/dev/null |
               sed -n 's/^bar0=//p' || true)
        if [ "${bar0:-0}" -ge 96 ]; then high=1; break; fi
    done
    kill "$busy"; wait "$busy" 2>/dev/null || true
    busy=""
    e2e_log "$1: the busy processor's bar is ${bar0:-unreadable} pixels long"
    expect_eq "$1: the busy processor's bar reaches 80 % (96 pixels)" "$high" 1
}

# The control: searched for the ordinary way, every planted library is loaded.
(cd "$E2E_DIR" && WINEDLLOVERRIDES="winmm,pdh,oleacc=n,b" "$WINE_RUN" "$E2E_DIR/control.exe") \
    >"$E2E_DIR/control.log" 2>&1 || true
expect_eq "markers left by the control program" "$(markers)" "oleacc.dll.loaded pdh.dll.loaded winmm.dll.loaded "
rm -f "$E2E_DIR"/*.loaded

# The gadget, searching as Windows does.
export WINEDLLOVERRIDES="winmm,pdh,oleacc=n,b"
start_gadget
busy_bar_grows planted_override
close_gadget 5000
expect_eq "markers after the gadget ran with the override" "$(markers)" ""
unset WINEDLLOVERRIDES

# And with Wine's own search order, as every other test runs it.
start_gadget
busy_bar_grows planted_plain
close_gadget 5000
expect_eq "markers after the gadget ran without the override" "$(markers)" ""
finish
