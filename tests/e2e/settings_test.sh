# Settings that survive a restart, and the options they carry: a crafted file
# comes back byte for byte as the gadget saves it (far corner recomputed, flags
# made 0 or 1, opacity clamped, face and caption kept); damaged files start the
# gadget all the same; a read-only or locked file keeps its content; a position
# nobody can see falls back to the default place; the gadget folds into the
# notification area and back; translucency toggles with the stored opacity; a
# file held open by another program is read; a folder named in characters the
# code page lacks keeps its settings.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/settings_check.sh"

settings="$E2E_DIR/Pollstate.txt"
processors=$(nproc)
case $processors in 1|2) height=24;; 3|4) height=36;; 5|6) height=48;; 7|8) height=60;;
    *) n=$processors; [ "$n" -le 32 ] || n=32; height=$((60 + 12 * ((n - 7) / 2)));; esac
screen_width=$(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\).*/\1/p')
screen_height=$(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\).*/\2/p')
# Whether the system's notification area shows an icon (Wine shows its own
# tray window only while it holds one).
tray_shown() {
    xwininfo -name "Wine System Tray" 2>/dev/null | grep -q 'IsViewable' && echo 1 || echo 0
}
xdotool mousemove 5 5

# A crafted file: the window's place and opacity come from it, and the saved
# file is the same file written the gadget's way.
printf '<POSITION><x1>100</x1><x2>999</x2><y1>50</y1><y2>1</y2></POSITION><FRAME_RATE>20</FRAME_RATE><AUTO_HIDE>5</AUTO_HIDE><TRANS>2</TRANS><TRANSRATE>300</TRANSRATE><ICON>0</ICON><MSG00>MS UI Gothic</MSG00><MSG01>\x8b\xf3\x82\xab</MSG01>' >"$settings"
start_gadget
probe info
expect_eq "stored place, left" "$(probe_value left)" 100
expect_eq "stored place, top" "$(probe_value top)" 50
expect_eq "width" "$(( $(probe_value right) - $(probe_value left) ))" 240
expect_eq "height for $processors processors" "$(( $(probe_value bottom) - $(probe_value top) ))" "$height"
expect_eq "opacity 300 clamped" "$(probe_value alpha)" 255
probe command 40005
expect_gadget_exit
printf '<POSITION><x1>100</x1><x2>340</x2><y1>50</y1><y2>%d</y2></POSITION><FRAME_RATE>20</FRAME_RATE><AUTO_HIDE>1</AUTO_HIDE><TRANS>1</TRANS><TRANSRATE>255</TRANSRATE><ICON>0</ICON><MSG00>MS UI Gothic</MSG00><MSG01>\x8b\xf3\x82\xab</MSG01>' \
    $((50 + height)) >"$E2E_DIR/expected.txt"
cmp "$settings" "$E2E_DIR/expected.txt" || fail "saved file differs: $(LC_ALL=C cat -v "$settings")"

# Translucency: off as stored, on with the default opacity, off again.
printf '<POSITION><x1>10</x1><y1>10</y1></POSITION><TRANS>0</TRANS>' >"$settings"
start_gadget
expect_eq "opaque as stored" "$(info_value alpha)" -1
probe command 40007
expect_soon "translucent at the default opacity" 128 info_value alpha
probe command 40007
expect_soon "opaque again" -1 info_value alpha
close_gadget

# Damaged files start the gadget, which then saves a whole new file.
python3 - "$E2E_DIR" <<'EOF'
import random, sys
d = sys.argv[1]
rng = random.Random(5)
open(d + "/random.txt", "wb").write(bytes(rng.randrange(256) for _ in range(4096)))
part = b"<POSITION><x1>7</x1></POSITION><TRANS>1</TRANS><MSG01>" + b"\x82" * 1000
open(d + "/large.txt", "wb").write((part * (10 * 1024 * 1024 // len(part) + 1))[:10 * 1024 * 1024])
open(d + "/nul.txt", "wb").write(b"<TRANS>1</TRANS>\0<ICON>1</ICON><POSITION><x1>5000</x1></POSITION>")
open(d + "/empty.txt", "wb").write(b"")
EOF
for kind in missing empty random large nul; do
    rm -f "$settings"
    [ "$kind" = missing ] || cp "$E2E_DIR/$kind.txt" "$settings"
    start_gadget
    # The window exists before its creation has shown it: waited for, not read once.
    expect_soon "$kind file: window shown" 1 info_value visible
    [ "$kind" = nul ] && expect_eq "nul file: translucent from before the NUL" "$(info_value alpha)" 128
    close_gadget
    expect_complete_settings "$settings"
done

# A read-only file and a file another program holds open keep their content,
# and no temporary file is left beside them.
printf '<POSITION><x1>30</x1><y1>40</y1></POSITION><TRANS>0</TRANS>' >"$settings"
cp "$settings" "$E2E_DIR/previous.txt"
chmod 0444 "$settings"
start_gadget
probe command 40007
close_gadget
cmp -s "$settings" "$E2E_DIR/previous.txt" || fail "read-only file changed: $(cat "$settings")"
chmod 0644 "$settings"
start_gadget
# Held long enough for the switch and the close below to come in while the file is held, however slowly.
hold_file "$settings" 10000 "" "$E2E_DIR/hold.out" || true
# Saved as it changes, and again on exit: both find the file held.
probe command 40007
close_gadget
wait "$HOLDER" || true
cmp -s "$settings" "$E2E_DIR/previous.txt" || fail "locked file changed: $(cat "$settings")"
leftovers=$(cd "$E2E_DIR" && ls | grep -vE '^(VorneltGauge\.exe|Pollstate\.txt|previous\.txt|expected\.txt|hold\.out|probe\.(out|err)|gadget\.log|random\.txt|large\.txt|nul\.txt|empty\.txt)$' || true)
expect_eq "files left beside the settings" "$leftovers" ""

# A place on no monitor falls back to the default; half off the edge is kept.
printf '<POSITION><x1>5000</x1><y1>100</y1></POSITION>' >"$settings"
start_gadget
probe info
expect_eq "far off-screen: default left" "$(probe_value left)" $((screen_width / 2 - 120))
expect_eq "far off-screen: default top" "$(probe_value top)" $((screen_height / 2 - 12))
close_gadget
printf '<POSITION><x1>-120</x1><y1>100</y1></POSITION>' >"$settings"
start_gadget
probe info
expect_eq "half off the left edge: kept" "$(probe_value left)" -120
expect_eq "half off the left edge: top" "$(probe_value top)" 100
close_gadget

# Folded at start: no window, an icon; a double click on it unfolds; a taskbar
# restart while folded keeps the icon, while unfolded changes nothing.
printf '<POSITION><x1>200</x1><y1>200</y1></POSITION><ICON>1</ICON>' >"$settings"
start_gadget
expect_soon "folded at start: window hidden" 0 info_value visible
expect_soon "folded at start: icon shown" 1 tray_shown
probe tray WM_LBUTTONDBLCLK
expect_soon "double click: window shown" 1 info_value visible
expect_soon "double click: icon gone" 0 tray_shown
probe taskbar-created; sleep 0.5
expect_eq "taskbar restart while shown: window stays" "$(info_value visible)" 1
expect_eq "taskbar restart while shown: no icon" "$(tray_shown)" 0
probe command 40013
expect_soon "fold from the menu: window hidden" 0 info_value visible
expect_soon "fold from the menu: icon shown" 1 tray_shown
probe taskbar-created; sleep 0.5
expect_soon "taskbar restart while folded: icon shown" 1 tray_shown
expect_eq "taskbar restart while folded: window hidden" "$(info_value visible)" 0
probe command 40013
expect_soon "unfold from the menu: window shown" 1 info_value visible
expect_soon "unfold from the menu: icon gone" 0 tray_shown
probe command 40013
expect_soon "folded again before the exit" 0 info_value visible
close_gadget
expect_eq "saved folded" "$(settings_value "$settings" ICON)" 1
expect_eq "saved place while folded" "$(settings_value "$settings" x1)" 200
expect_eq "no icon left after exit" "$(tray_shown)" 0

# A file another program holds open, reading and writing it and letting others
# do the same (a sync client, a search indexer): the gadget still starts from it.
printf '<POSITION><x1>150</x1><y1>90</y1></POSITION>' >"$settings"
hold_file "$settings" 600000 shared "$E2E_DIR/hold_shared.out" || true
holder=$HOLDER
start_gadget
probe info
expect_eq "held open by another program: the stored place" "$(probe_value left),$(probe_value top)" 150,90
close_gadget
kill "$holder"; wait "$holder" 2>/dev/null || true

# A folder named in characters the ANSI code page (932) lacks: the gadget
# starts there, saves a place it is dragged to beside itself, and comes back to it.
GADGET_FOLDER="$E2E_DIR/게이지"
mkdir "$GADGET_FOLDER"
cp "$E2E_DIR/VorneltGauge.exe" "$GADGET_FOLDER/"
start_gadget
probe info
left=$(probe_value left); top=$(probe_value top)
drag_gadget 100 50
xdotool mousemove 5 5
close_gadget
expect_complete_settings "$GADGET_FOLDER/Pollstate.txt"
expect_eq "saved beside the program in a Hangul folder" \
    "$(settings_value "$GADGET_FOLDER/Pollstate.txt" x1),$(settings_value "$GADGET_FOLDER/Pollstate.txt" y1)" \
    "$((left + 100)),$((top + 50))"
start_gadget
probe info
expect_eq "back at the dragged place" "$(probe_value left),$(probe_value top)" "$((left + 100)),$((top + 50))"
screenshot settings_hangul_folder
close_gadget
finish
