# The gadget on a Windows that is not Japanese, and on one that is: under
# en_US.UTF-8 (code page 1252, English user interface) and zh_CN.UTF-8 (936,
# Chinese) it speaks English: its caption, its menus and its tooltip; under
# ja_JP.UTF-8 it is Japanese as ever. Screenshots of the meter, the window menu
# and the hovering tooltip are kept as languages_<locale>_*.png for a look.
source "$(dirname "$0")/lib.sh"

# Black (text) pixels in the caption row of the memory side, columns x0..x1-1.
caption_ink() {  # shot x0 x1
    convert "$1" -crop "$(($3 - $2))x12+$2+0" +repage -depth 8 rgb:- |
        python3 -c 'import sys; d=sys.stdin.buffer.read(); print(sum(1 for i in range(0, len(d), 3) if max(d[i:i+3]) < 0x50))'
}
# White pixels in the band below the window, where the tooltip comes up.
tooltip_pixels() {  # left top
    import -window root -crop "360x66+$1+$(($2 + 24))" +repage -depth 8 rgb:- 2>/dev/null |
        python3 -c 'import sys; d=sys.stdin.buffer.read(); print(sum(1 for i in range(0, len(d), 3) if min(d[i:i+3]) > 0xF0))'
}
declare -A menu_width

for locale in en_US.UTF-8 zh_CN.UTF-8 ja_JP.UTF-8; do
    export VG_LANG=$locale
    name=languages_${locale%%.*}
    e2e_log "--- $locale"
    # No settings file: the caption is the face's own.
    rm -f "$E2E_DIR/Pollstate.txt"
    xdotool mousemove 5 5
    start_gadget
    probe info
    left=$(probe_value left); top=$(probe_value top)
    sleep 2
    screenshot "${name}_meter"
    # "Free" ends within 26 pixels of the caption's start; "メモリ残り" reaches past them.
    # The amount is right-aligned and shorter than 9 characters on any test machine.
    near=$(caption_ink "$ARTIFACTS/${name}_meter.png" 120 146)
    far=$(caption_ink "$ARTIFACTS/${name}_meter.png" 148 184)
    e2e_log "caption ink: $near near, $far farther"
    [ "$near" -gt 0 ] || fail "$locale: no caption in the picture"
    if [ "$locale" = ja_JP.UTF-8 ]; then
        [ "$far" -gt 0 ] || fail "$locale: the caption is not the Japanese one"
    else
        expect_eq "$locale: ink beyond the English caption" "$far" 0
    fi

    xdotool mousemove $((left + 30)) $((top + 5)) click 3
    if probe menu 5000; then
        e2e_log "window menu: $(tr '\n' ' ' <<<"$PROBE_OUT")"
        width=$(( $(probe_value right) - $(probe_value left) ))
        menu_width[$locale]=$width
        import -window root -crop "$((width + 40))x200+$((left + 20))+$top" +repage \
            "$ARTIFACTS/${name}_menu.png" 2>/dev/null || true
        if [ "$(probe_value items)" -gt 0 ] && [ "$locale" != ja_JP.UTF-8 ]; then
            grep -q '^item0=40017 0 &Move$' <<<"$PROBE_OUT" || fail "$locale: menu not English: $PROBE_OUT"
        fi
    else
        fail "$locale: no menu after a right click"
    fi
    probe close-menu

    # Resting over the processor column brings the tooltip up. The cursor
    # leaves first, so a tooltip raised by the right click is gone; each wait
    # is for what it needs, with a generous limit.
    xdotool mousemove 5 5
    for _ in $(seq 50); do
        before=$(tooltip_pixels "$left" "$top")
        [ "$before" -lt 1000 ] && break
        sleep 0.2
    done
    xdotool mousemove $((left + 40)) $((top + 6)); sleep 0.2
    xdotool mousemove $((left + 42)) $((top + 7))
    for _ in $(seq 50); do
        sleep 0.2
        after=$(tooltip_pixels "$left" "$top")
        [ "$after" -gt $((before + 500)) ] && break
    done
    import -window root -crop "360x90+$((left))+$((top))" +repage "$ARTIFACTS/${name}_tooltip.png" 2>/dev/null || true
    e2e_log "white pixels below the window: $before before, $after while hovering"
    # Windows breaks a tooltip's lines only once it has a maximum width.
    probe tooltip || fail "$locale: no tooltip control of the gadget"
    [ "$(probe_value max_width)" -gt 0 ] || fail "$locale: the tooltip has no maximum width ($PROBE_OUT)"
    [ "$after" -gt $((before + 500)) ] || fail "$locale: no tooltip while hovering"
    xdotool mousemove 5 5
    close_gadget
done
# This process cannot read the gadget's menus; their width tells the English
# ones ("Fold into the notification area") from the Japanese.
e2e_log "menu widths: ${menu_width[*]}"
for locale in en_US.UTF-8 zh_CN.UTF-8; do
    [ "${menu_width[$locale]:-0}" -gt $(( ${menu_width[ja_JP.UTF-8]:-0} + 20 )) ] ||
        fail "$locale: the menu is not wider than the Japanese one"
done
finish
