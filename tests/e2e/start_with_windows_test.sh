# Start with Windows from the window menu, in English and in Japanese: the item
# is there and answers its accelerator; choosing it puts this program's quoted
# full path under the user's Run key, the menu then shows it checked, and
# choosing it again removes the value. Screenshots of the menu with the item
# checked are kept as start_with_windows_<locale>_menu.png for a look. Switched
# off on Task Manager's Startup page (its record under StartupApproved\Run), the
# item shows unchecked, and choosing it has Windows start the gadget again.
source "$(dirname "$0")/lib.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_value() {
    "$WINE_RUN" reg query "$run_key" /v "Vornelt Gauge" 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Vornelt Gauge *REG_SZ *//p'
}
remove_run_value() { "$WINE_RUN" reg delete "$run_key" /v "Vornelt Gauge" /f >/dev/null 2>&1 || true; }
approved_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
startup_record() {
    "$WINE_RUN" reg query "$approved_key" /v "Vornelt Gauge" 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Vornelt Gauge *REG_BINARY *//p'
}
remove_startup_record() { "$WINE_RUN" reg delete "$approved_key" /v "Vornelt Gauge" /f >/dev/null 2>&1 || true; }
# A value left behind would start a gadget with the prefix's next boot.
trap 'remove_run_value; remove_startup_record; e2e_cleanup' EXIT
remove_run_value
remove_startup_record
program=$("$WINE_RUN" winepath -w "$E2E_DIR/VorneltGauge.exe" 2>/dev/null | tr -d '\r')
e2e_log "the program as Windows names it: $program"

# Opens the window menu with a right click and waits for it.
open_menu() {
    xdotool mousemove $((left + 30)) $((top + 5)) click 3
    probe menu 5000 || { fail "$locale: no menu after a right click"; return 1; }
}
# The item's check mark as the probe reads it; "?" where Wine lets no other
# process read the menu.
item_mark() {
    if [ "$(probe_value items)" -gt 0 ]; then
        sed -n 's/^item[0-9]*=40019 \([01]\) .*/\1/p' <<<"$PROBE_OUT"
    else
        echo "?"
    fi
}

xdotool mousemove 5 5
for locale in en_US.UTF-8 ja_JP.UTF-8; do
    export VG_LANG=$locale
    name=start_with_windows_${locale%%.*}
    start_gadget
    probe info
    left=$(probe_value left); top=$(probe_value top)
    open_menu
    mark=$(item_mark)
    [ "$mark" = "?" ] || expect_eq "$locale: unchecked at first" "$mark" 0
    # The accelerator chooses the item in either language.
    xdotool key w
    expect_soon "$locale: chosen, the Run value names this program" "\"$program\"" run_value
    open_menu
    mark=$(item_mark)
    [ "$mark" = "?" ] || expect_eq "$locale: checked once the value names it" "$mark" 1
    width=$(( $(probe_value right) - $(probe_value left) ))
    height=$(( $(probe_value bottom) - $(probe_value top) ))
    import -window root -crop "$((width + 40))x$((height + 40))+$left+$top" +repage \
        "$ARTIFACTS/${name}_menu.png" 2>/dev/null || true
    xdotool key w
    expect_soon "$locale: chosen again, the value is gone" "" run_value
    xdotool mousemove 5 5
    close_gadget
done

# Switched off on the Startup page while the Run value names this copy.
unset VG_LANG
"$WINE_RUN" reg add "$run_key" /v "Vornelt Gauge" /t REG_SZ /d "\"$program\"" /f >/dev/null 2>&1
"$WINE_RUN" reg add "$approved_key" /v "Vornelt Gauge" /t REG_BINARY /d 030000000102030405060708 /f \
    >/dev/null 2>&1
expect_eq "the Startup page's record is written" "$(startup_record)" 030000000102030405060708
start_gadget
probe info
left=$(probe_value left); top=$(probe_value top)
open_menu
mark=$(item_mark)
e2e_log "switched off on the Startup page, the item's mark: $mark"
[ "$mark" = "?" ] || expect_eq "switched off on the Startup page: unchecked" "$mark" 0
xdotool key w
expect_soon "chosen, the Startup page's record is gone" "" startup_record
expect_eq "chosen, the Run value names this program" "$(run_value)" "\"$program\""
open_menu
mark=$(item_mark)
[ "$mark" = "?" ] || expect_eq "chosen, checked" "$mark" 1
xdotool key Escape
xdotool mousemove 5 5
close_gadget
finish
