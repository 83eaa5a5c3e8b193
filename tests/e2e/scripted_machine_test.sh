# The gadget on scripted machines of 1, 3, 8, 12 and 32 processors, each with
# a fixed load per processor (tools/scripted_machine): the window is as tall as
# the count needs, every bar is as long as its processor's load, and the
# one-processor window leaves its empty bottom-left cell to the desktop.
# Screenshots are kept as scripted_machine_<N>.png. A machine without mount
# namespaces skips this with a line saying so.
source "$(dirname "$0")/lib.sh"

scripted_machine_or_skip

# Loads that tell the bars apart, repeating every eight processors.
pattern=(0 100 25 50 75 10 90 60)
declare -A heights=([1]=24 [3]=36 [8]=60 [12]=84 [32]=204)
xdotool mousemove 5 5
for count in 1 3 8 12 32; do
    loads=()
    for ((k = 0; k < count; k++)); do loads+=("${pattern[k % 8]}"); done
    GADGET_LAUNCHER=("$MACHINE" "$count" "$(IFS=,; echo "${loads[*]}")" --)
    printf '<POSITION><x1>100</x1><y1>100</y1></POSITION>' >"$E2E_DIR/Pollstate.txt"
    start_gadget
    probe info
    left=$(probe_value left); top=$(probe_value top)
    expect_eq "$count processors: window height" "$(( $(probe_value bottom) - top ))" "${heights[$count]}"
    # Two samples after the baseline, and the second's transition, settle every bar.
    bars_right() {
        screenshot "scripted_machine_$count" >/dev/null
        BARS=$(python3 "$E2E_LIB_DIR/meter_pixels.py" "$ARTIFACTS/scripted_machine_$count.png" "$count" |
            grep '^bar[0-9]' || true)
        local k length
        for ((k = 0; k < count; k++)); do
            length=$(sed -n "s/^bar$k=//p" <<<"$BARS")
            [ -n "$length" ] || return 1
            (( length >= loads[k] * 6 / 5 - 3 && length <= loads[k] * 6 / 5 + 3 )) || return 1
        done
    }
    if ! wait_until bars_right; then
        fail "$count processors: bars $(tr '\n' ' ' <<<"$BARS") for loads ${loads[*]}"
    fi
    e2e_log "$count processors: $(tr '\n' ' ' <<<"$BARS")"
    if [ "$count" -eq 1 ]; then
        # The cut-out shows the desktop beneath (the virtual display's black), not the panel.
        cell=$(import -window root -crop "120x12+$left+$((top + 12))" +repage -depth 8 rgb:- 2>/dev/null |
            python3 -c 'import sys; d=sys.stdin.buffer.read(); print(sum(1 for i in range(0, len(d), 3) if d[i:i+3] == b"\xcc\xcc\xcc"))')
        expect_eq "1 processor: panel pixels in the cut-out cell" "$cell" 0
    fi
    close_gadget
done
finish
