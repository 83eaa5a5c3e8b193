# The live meter as a user meets it: the picture (panel, tracks, bars, white
# percentages, the black memory texts and the memory bar), a busy processor
# whose bar and percentage climb while the idle one stays low, the window menu
# from the right button and from the Applications key with its check marks,
# a drag with the left button, auto-hide under a resting cursor, a command
# that changes nothing visible, and Exit.
source "$(dirname "$0")/lib.sh"

processors=$(nproc)
[ "$processors" -le 32 ] || processors=32
pixels() { python3 "$(dirname "$0")/meter_pixels.py" "$@"; }
info_value() { probe info >/dev/null; probe_value "$1"; }
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
start_gadget
probe info
left=$(probe_value left); top=$(probe_value top)
expect_eq "default place, left" "$left" $(( $(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x.*/\1/p') / 2 - 120 ))
expect_eq "topmost" "$(probe_value topmost)" 1

# First samples arrive after about a second; then the picture holds its rules.
sleep 2.5
screenshot meter
pixels "$ARTIFACTS/meter.png" "$processors" || fail "the meter's picture (see above)"

# A busy loop pinned to host processor 0: its bar grows to a high value within
# a few seconds while another processor stays lower.
taskset -c 0 sh -c 'while :; do :; done' &
busy=$!
high=0
for _ in 1 2 3 4 5 6; do
    sleep 1
    screenshot busy 0
    out=$(pixels "$ARTIFACTS/busy.png" "$processors" || true)
    bar0=$(sed -n 's/^bar0=//p' <<<"$out")
    bar1=$(sed -n 's/^bar1=//p' <<<"$out")
    e2e_log "busy processor 0: bar0=$bar0 bar1=${bar1:-none}"
    if [ "${bar0:-0}" -ge 96 ]; then high=1; break; fi
done
kill "$busy"; wait "$busy" 2>/dev/null || true
expect_eq "the busy processor's bar reaches 80 % (96 pixels)" "$high" 1
if [ "$processors" -ge 2 ] && [ "$high" = 1 ] && [ "${bar1:-0}" -ge "$bar0" ]; then
    fail "the idle processor's bar ($bar1) is not below the busy one's ($bar0)"
fi

# The right button opens the window menu where it was clicked.
xdotool mousemove $((left + 30)) $((top + 5)) click 3
if probe menu 5000; then
    e2e_log "window menu: $(tr '\n' ' ' <<<"$PROBE_OUT")"
    expect_eq "menu opens at the click, left" "$(probe_value left)" $((left + 30))
    expect_eq "check marks with both options off" "$(check_marks)" 0
    import -window root -crop 400x200+$((left))+$((top)) +repage "$ARTIFACTS/menu.png" 2>/dev/null || true
else
    fail "no menu after a right click"
fi
probe close-menu; sleep 0.5
probe menu 300 && fail "the menu stayed open"

# Translucent and auto-hide on: both show their check marks next time; the
# Applications key opens the menu at the window's corner.
probe command 40007; probe command 40011; sleep 0.3
expect_eq "translucent after 40007" "$(info_value alpha)" 128
probe post WM_KEYDOWN 0x5D 0
if probe menu 5000; then
    expect_eq "Applications-key menu, left" "$(probe_value left)" "$left"
    expect_eq "Applications-key menu, top" "$(probe_value top)" "$top"
    [ "$(check_marks)" -gt 10 ] || fail "no check marks with translucent and auto-hide on"
    if [ "$(probe_value items)" -gt 0 ]; then
        grep -q '^item[0-9]*=40007 1 ' <<<"$PROBE_OUT" || fail "translucent not checked: $PROBE_OUT"
        grep -q '^item[0-9]*=40011 1 ' <<<"$PROBE_OUT" || fail "auto-hide not checked: $PROBE_OUT"
        grep -q '^item[0-9]*=40013 0 ' <<<"$PROBE_OUT" || fail "fold item missing or checked: $PROBE_OUT"
    fi
    import -window root -crop 400x200+$((left))+$((top)) +repage "$ARTIFACTS/menu_checked.png" 2>/dev/null || true
else
    fail "no menu after the Applications key"
fi
probe close-menu; sleep 0.5
# The key's release arms the swallowing of one close; the menu's own Exit still works later.
probe post WM_KEYUP 0x5D 0

# Auto-hide: the cursor coming to rest over the window hides it within about
# half a second; moving it away brings the window back.
xdotool mousemove $((left + 200)) $((top + 6)); sleep 0.1
xdotool mousemove $((left + 201)) $((top + 7)); sleep 0.8
expect_eq "hidden under the resting cursor" "$(info_value visible)" 0
xdotool mousemove 5 5; sleep 0.5
expect_eq "shown again once the cursor left" "$(info_value visible)" 1
probe command 40011; probe command 40007; sleep 0.3
expect_eq "opaque after 40007 again" "$(info_value alpha)" -1

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
expect_gadget_exit 10000
finish
