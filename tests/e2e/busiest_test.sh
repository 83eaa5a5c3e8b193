# Who is busy: on a scripted machine of two processors, a Windows program
# keeps one thread busy; hovering the gadget brings up the tooltip, whose third
# line names that program with about half the machine within three seconds,
# in English and, for a program of a Japanese name, in Japanese. The line then
# changes in place (the tooltip keeps its place and its first two lines) and
# goes with the tooltip. The share is compared with what the host's own
# accounting says the program used: on a machine busy with other work one
# thread gets less than a whole processor. Screenshots of the tooltip are kept
# as busiest_<locale>.png.
#   busiest_test.sh C_COMPILER   (the mingw compiler of the build under test)
source "$(dirname "$0")/lib.sh"

cc="${1:?the C compiler of the build under test}"
scripted_machine_or_skip
machine=$MACHINE
"$cc" -O2 -Wall -Wextra -o "$E2E_DIR/busy.exe" "$E2E_LIB_DIR/busy_program.c"

# Processor time (user and system, in clock ticks) the host counted for a process.
host_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
ticks_per_second=$(getconf CLK_TCK)
# Percent of two processors that a process used from TICKS at time SINCE until now.
host_share() {  # pid ticks since
    awk -v used=$(( $(host_ticks "$1") - $2 )) -v tps="$ticks_per_second" -v since="$3" \
        -v now="$(date +%s.%N)" 'BEGIN { printf "%d", 100 * used / tps / (now - since) / 2 }'
}
info_tooltip_shown() { probe tooltip >/dev/null; probe_value shown; }

declare -A program=([en_US.UTF-8]=busy.exe [ja_JP.UTF-8]=重い計算.exe)
declare -A label=([en_US.UTF-8]="Busiest: " [ja_JP.UTF-8]="使用率最大: ")
GADGET_LAUNCHER=("$machine" 2 0 --)
for locale in en_US.UTF-8 ja_JP.UTF-8; do
    export VG_LANG=$locale
    name=${program[$locale]}
    e2e_log "--- $locale: $name"
    printf '<POSITION><x1>100</x1><y1>100</y1></POSITION>' >"$E2E_DIR/Pollstate.txt"
    xdotool mousemove 5 5
    start_gadget
    probe info
    left=$(probe_value left); top=$(probe_value top)
    [ "$name" = busy.exe ] || cp "$E2E_DIR/busy.exe" "$E2E_DIR/$name"
    (cd "$E2E_DIR" && exec "$WINE_RUN" "$E2E_DIR/$name" 120) >/dev/null 2>&1 &
    busy=$!
    E2E_BACKGROUND="$E2E_BACKGROUND $busy"
    sleep 2

    ticks_before=$(host_ticks "$busy"); since=$(date +%s.%N)
    xdotool mousemove $((left + 40)) $((top + 6)); sleep 0.2
    xdotool mousemove $((left + 42)) $((top + 7))
    if ! probe tooltip-wait 3 $((E2E_WAIT_SECONDS * 1000)); then
        fail "$locale: no third line on the tooltip ($(tr '\n' ' ' <<<"$PROBE_OUT"))"
        kill "$busy" 2>/dev/null || true
        close_gadget
        continue
    fi
    e2e_log "tooltip: $(tr '\n' ' ' <<<"$PROBE_OUT")"
    waited=$(probe_value waited_ms)
    [ "$waited" -le 3000 ] || fail "$locale: the third line came $waited ms after the tooltip"
    first=$(probe_value line0); second=$(probe_value line1)
    tip_left=$(probe_value left); tip_top=$(probe_value top)
    import -window root -crop "420x100+$left+$top" +repage "$ARTIFACTS/busiest_${locale%%.*}.png" 2>/dev/null || true

    # The line follows the load second by second, in place.
    sleep 3
    probe tooltip
    line=$(probe_value line2)
    host=$(host_share "$busy" "$ticks_before" "$since")
    e2e_log "third line: '$line'; the host counted $host % of two processors"
    expect_eq "$locale: the tooltip is still shown" "$(probe_value shown)" 1
    expect_eq "$locale: the first line" "$(probe_value line0)" "$first"
    expect_eq "$locale: the second line" "$(probe_value line1)" "$second"
    expect_eq "$locale: the tooltip's place" "$(probe_value left),$(probe_value top)" "$tip_left,$tip_top"
    percent=$(sed -n "s/^${label[$locale]}$name \([0-9]*\)%$/\1/p" <<<"$line")
    if [ -z "$percent" ]; then
        fail "$locale: the third line does not name $name: '$line'"
    else
        # One thread is at most half of two processors, and what the host
        # counted over the last seconds, give or take their changes.
        [ "$percent" -le 51 ] || fail "$locale: $percent % for one thread of two processors"
        (( percent >= host - 15 && percent <= host + 15 )) ||
            fail "$locale: $percent % named, the host counted $host %"
    fi

    # The line goes with the tooltip.
    xdotool mousemove 5 5
    expect_soon "$locale: the tooltip goes when the cursor leaves" 0 info_tooltip_shown
    kill "$busy" 2>/dev/null || true
    wait "$busy" 2>/dev/null || true
    close_gadget
done
finish
