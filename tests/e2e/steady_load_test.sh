# Processors held at exactly 100 %, 10 % and 5 % on a scripted machine read as
# those loads once their bars have settled: bars of exactly 120, 12 and 6
# pixels, and percentages of four, three and two characters («100%», «10%»,
# «5%»; one point low they would be «99%», «9%» and «4%»). The screenshot is
# kept as steady_load.png. A machine without mount namespaces skips this.
source "$(dirname "$0")/lib.sh"

scripted_machine_or_skip

GADGET_LAUNCHER=("$MACHINE" 3 100,10,5 --)
printf '<POSITION><x1>100</x1><y1>100</y1></POSITION>' >"$E2E_DIR/Pollstate.txt"
xdotool mousemove 5 5
start_gadget
READ=""
reads_the_loads() {
    screenshot steady_load >/dev/null
    READ=$(python3 "$E2E_LIB_DIR/meter_pixels.py" "$ARTIFACTS/steady_load.png" 3 |
        grep -E '^(bar|text)[0-9]' | tr '\n' ' ')
    local value
    value() { sed -n "s/.*$1=\([0-9]*\).*/\1/p" <<<"$READ"; }
    [ "$(value bar0)" = 120 ] && [ "$(value bar1)" = 12 ] && [ "$(value bar2)" = 6 ] &&
        (( $(value text0) >= $(value text1) + 4 && $(value text1) >= $(value text2) + 4 ))
}
wait_until reads_the_loads || fail "100 %, 10 % and 5 % read as: $READ"
e2e_log "$READ"
close_gadget
finish
