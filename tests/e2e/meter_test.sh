# The live meter as a user meets it: the picture (panel, tracks, bars, white
# percentages, the black memory texts and the memory bar), every processor's bar
# following the kernel's own figure for it, a busy processor's bar climbing to
# within a few points of the kernel's, the window menu
# from the right button and from the Applications key with its check marks,
# a drag with the left button, auto-hide under a resting cursor, a command
# that changes nothing visible, and Exit.
source "$(dirname "$0")/lib.sh"

processors=$(nproc)
[ "$processors" -le 32 ] || processors=32
pixels() { python3 "$(dirname "$0")/meter_pixels.py" "$@"; }
# Dark pixels in the check-mark column of the open menu (this process cannot
# read another's menu, so the marks are looked at on the screen).
check_marks() {
    local x y h
    x=$(probe_value left); y=$(probe_value top); h=$(( $(probe_value bottom) - y ))
    import -window root -crop "14x${h}+$((x + 2))+${y}" +repage -depth 8 rgb:- 2>/dev/null |
        python3 -c 'import sys; d=sys.stdin.buffer.read(); print(sum(1 for i in range(0, len(d), 3) if max(d[i:i+3]) < 0x60))'
}

# The cursor rests far from the window, so nothing arms the auto-hide count.
xdotool mousemove 5 5
kernel_record_start
start_gadget
probe info
left=$(probe_value left); top=$(probe_value top)
expect_eq "default place, left" "$left" $(( $(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x.*/\1/p') / 2 - 120 ))
expect_eq "topmost" "$(probe_value topmost)" 1

# Once the first figures are drawn, the picture holds its rules.
picture_holds() { screenshot meter >/dev/null && pixels "$ARTIFACTS/meter.png" "$processors" >"$E2E_DIR/meter.txt"; }
wait_until picture_holds || { cat "$E2E_DIR/meter.txt"; fail "the meter's picture (see above)"; }

# A busy loop pinned to host processor 0. The bars cannot be compared with each
# other (whatever else runs on this machine may keep any processor busy), only
# each with the kernel's figure for the seconds it can show. Once the kernel
# has reported processor 0 at 80 % or more for all those seconds and its bar
# has caught up, every bar stays within a few points of the kernel's range,
# screenshot after screenshot: the busy one's near the kernel's 100 %.
tolerance=5
taskset -c 0 sh -c 'while :; do :; done' &
busy=$!
E2E_BACKGROUND+=" $busy"
settled=0
# processor: gadget % in the kernel's low..high %, for the log.
compared() { sed -n 's/.*processor \([0-9]*\): gadget \([0-9.]*\) %, kernel \([0-9.]*\.\.[0-9.]*\) %.*/\1: \2 in \3/p' <<<"$BAR_CHECK" | tr '\n' ' '; }
busy_bar_settled() {
    bars_follow_kernel busy "$processors" "$tolerance" || true
    e2e_log "settling: $(tr '\n' ' ' <<<"$BARS")| $(compared)"
    local low
    low=$(sed -n 's/.*processor 0: .*kernel \([0-9]*\)[.0-9]*\.\..*/\1/p' <<<"$BAR_CHECK")
    grep -q '^ok   processor 0:' <<<"$BAR_CHECK" && [ "${low:-0}" -ge 80 ] &&
        [ "$(sed -n 's/^bar0=//p' <<<"$BARS")" -ge 96 ]
}
if wait_until busy_bar_settled; then
    settled=1
    for round in 1 2 3 4 5; do
        if bars_follow_kernel "busy_$round" "$processors" "$tolerance"; then
            e2e_log "round $round: $(compared)"
        else
            fail "round $round: a bar strays from the kernel's figure: $(tr '\n' ' ' <<<"$BARS") $BAR_CHECK"
        fi
    done
fi
kill "$busy"; wait "$busy" 2>/dev/null || true
expect_eq "the busy processor's bar reaches the kernel's steady figure, at least 80 % (96 pixels)" "$settled" 1
[ "$settled" = 1 ] || e2e_log "last comparison: $BAR_CHECK"

# The right button opens the window menu where it was clicked.
xdotool mousemove $((left + 30)) $((top + 5)) click 3
if probe menu $((E2E_WAIT_SECONDS * 1000)); then
    e2e_log "window menu: $(tr '\n' ' ' <<<"$PROBE_OUT")"
    expect_eq "menu opens at the click, left" "$(probe_value left)" $((left + 30))
    expect_eq "check marks with both options off" "$(check_marks)" 0
    import -window root -crop 400x200+$((left))+$((top)) +repage "$ARTIFACTS/menu.png" 2>/dev/null || true
else
    fail "no menu after a right click"
fi
menu_closed() { ! probe menu 300; }
probe close-menu
wait_until menu_closed || fail "the menu stayed open"

# Translucent and auto-hide on: both show their check marks next time; the
# Applications key opens the menu at the window's corner.
probe command 40007; probe command 40011
expect_soon "translucent after 40007" 128 info_value alpha
probe post WM_KEYDOWN 0x5D 0
if probe menu $((E2E_WAIT_SECONDS * 1000)); then
    expect_eq "Applications-key menu, left" "$(probe_value left)" "$left"
    expect_eq "Applications-key menu, top" "$(probe_value top)" "$top"
    marks_drawn() { [ "$(check_marks)" -gt 10 ]; }
    wait_until marks_drawn || fail "no check marks with translucent and auto-hide on"
    if [ "$(probe_value items)" -gt 0 ]; then
        grep -q '^item[0-9]*=40007 1 ' <<<"$PROBE_OUT" || fail "translucent not checked: $PROBE_OUT"
        grep -q '^item[0-9]*=40011 1 ' <<<"$PROBE_OUT" || fail "auto-hide not checked: $PROBE_OUT"
        grep -q '^item[0-9]*=40013 0 ' <<<"$PROBE_OUT" || fail "fold item missing or checked: $PROBE_OUT"
    fi
    import -window root -crop 400x200+$((left))+$((top)) +repage "$ARTIFACTS/menu_checked.png" 2>/dev/null || true
else
    fail "no menu after the Applications key"
fi
probe close-menu
wait_until menu_closed || fail "the menu stayed open"
# The key's release arms the swallowing of one close; the menu's own Exit still works later.
probe post WM_KEYUP 0x5D 0

# Auto-hide: the cursor coming to rest over the window hides it (after about
# half a second); moving it away brings the window back.
xdotool mousemove $((left + 200)) $((top + 6)); sleep 0.1
xdotool mousemove $((left + 201)) $((top + 7))
expect_soon "hidden under the resting cursor" 0 info_value visible
xdotool mousemove 5 5
expect_soon "shown again once the cursor left" 1 info_value visible
probe command 40011; probe command 40007
expect_soon "opaque after 40007 again" -1 info_value alpha

# A left-button drag moves the window, which stays on top.
drag_gadget 100 50
probe info
expect_eq "dragged 100 to the right" "$(probe_value left)" $((left + 100))
expect_eq "dragged 50 down" "$(probe_value top)" $((top + 50))
expect_eq "topmost after the drag" "$(probe_value topmost)" 1
left=$(probe_value left); top=$(probe_value top)
xdotool mousemove 5 5

# 40009 is answered and changes nothing one can see.
before=$(probe info >/dev/null; grep -E '^(left|top|right|bottom|visible|exstyle|alpha)=' <<<"$PROBE_OUT")
probe command 40009; sleep 0.3
after=$(probe info >/dev/null; grep -E '^(left|top|right|bottom|visible|exstyle|alpha)=' <<<"$PROBE_OUT")
expect_eq "window after 40009" "$after" "$before"

# Exit from the menu ends the process with code 0, the swallowed close notwithstanding.
probe command 40005
expect_gadget_exit
finish
