# The gadget at the display's scale (the DPI Wine gives it is the prefix's
# LogPixels): at 96, 120, 144, 168 and 192 DPI, on a scripted two-processor machine
# with one processor at 100 % and one at 50 % where mount namespaces allow it,
# the window is 240 x 24 times the scale, a first start (no place stored) puts
# it at its default place, centred just above the screen's middle by a row of
# that scale, the full bar fills its scaled slot, and the texts are drawn at
# the larger glyph size. Screenshots are kept as display_scale_<dpi>.png to
# look at side by side.
source "$(dirname "$0")/lib.sh"

desktop='HKCU\Control Panel\Desktop'
set_dpi() { "$WINE_RUN" reg add "$desktop" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
# Whatever happens, the prefix goes back to 96 DPI for the tests after this one.
trap 'set_dpi 96; e2e_cleanup' EXIT

machine="$SOURCE_DIR/tools/scripted_machine/scripted-machine"
scripted=1
"$machine" 2 0 -- true 2>/dev/null || scripted=0
[ "$scripted" = 1 ] || e2e_log "no scripted machine here: the bars' lengths are not checked"

# Columns of the bar in the first slot's middle row up to the track's greys,
# and the rows holding black ink in the memory text area (the first row's right half).
measure() {  # shot width row_height
    python3 - "$@" <<'PY'
import subprocess, sys
path, width, row = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
w, h = map(int, subprocess.run(["identify", "-format", "%w %h", path], capture_output=True,
                               text=True, check=True).stdout.split())
raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
at = lambda x, y: raw[3 * (y * w + x):3 * (y * w + x) + 3]
track = lambda p: p[0] == p[1] == p[2] and 0x30 <= p[0] <= 0x70
bar = 0
while bar < width // 2 and not track(at(bar, row // 2)):
    bar += 1
ink = [y for y in range(row) if any(max(at(x, y)) < 0x50 for x in range(width // 2, width))]
print(f"bar={bar} ink_rows={len(ink)}")
PY
}

# The window's width and a row's height at each scale.
declare -A widths=([96]=240 [120]=300 [144]=360 [168]=420 [192]=480)
declare -A rows=([96]=12 [120]=15 [144]=18 [168]=21 [192]=24)
read -r screen_width screen_height < <(xdotool getdisplaygeometry)
xdotool mousemove 5 5
for dpi in 96 120 144 168 192; do
    set_dpi "$dpi"
    width=${widths[$dpi]}; row=${rows[$dpi]}
    if [ "$scripted" = 1 ]; then GADGET_LAUNCHER=("$machine" 2 100,50 --); else GADGET_LAUNCHER=(); fi
    rm -f "$E2E_DIR/Pollstate.txt"
    start_gadget
    probe info
    left=$(probe_value left); top=$(probe_value top)
    expect_eq "$dpi DPI: default place" "$left,$top" \
        "$((screen_width / 2 - width / 2)),$((screen_height / 2 - row))"
    size="$(( $(probe_value right) - left ))x$(( $(probe_value bottom) - top ))"
    processors=2; [ "$scripted" = 1 ] || processors=$(nproc)
    if [ "$processors" -le 2 ]; then
        expect_eq "$dpi DPI: window size" "$size" "${width}x$((2 * row))"
    else
        expect_eq "$dpi DPI: window width" "${size%x*}" "$width"
    fi
    full_bar() {
        screenshot "display_scale_$dpi" >/dev/null
        found=$(measure "$ARTIFACTS/display_scale_$dpi.png" "$width" "$row")
        [ "$scripted" = 0 ] || [ "$(sed 's/bar=\([0-9]*\).*/\1/' <<<"$found")" -eq $((width / 2)) ]
    }
    wait_until full_bar || fail "$dpi DPI: the busy processor's bar does not fill its slot: $found"
    ink=$(sed 's/.*ink_rows=//' <<<"$found")
    e2e_log "$dpi DPI: window $size, $found"
    # The glyphs grow with the scale: about 9 rows of ink at 96 DPI.
    [ "$ink" -ge $(( 8 * dpi / 96 )) ] || fail "$dpi DPI: memory texts only $ink rows high"
    close_gadget
done
finish
