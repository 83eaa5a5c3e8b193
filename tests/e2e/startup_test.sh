# The gadget comes up as a borderless topmost tool window of the right size at
# the default place, and WM_CLOSE ends it cleanly. Where the scripted machine
# runs, it is one of eleven processors, whose sixth row makes the window 84
# pixels high; elsewhere the host's own count decides the height.
source "$(dirname "$0")/lib.sh"

# Window heights for 1 to 32 processors (and any more: 32 are shown).
heights=(24 24 36 36 48 48 60 60 72 72 84 84 96 96 108 108
         120 120 132 132 144 144 156 156 168 168 180 180 192 192 204 204)
if "$MACHINE" 1 0 -- true 2>/dev/null; then
    processors=11
    GADGET_LAUNCHER=("$MACHINE" "$processors" 30 --)
    e2e_log "a scripted machine of $processors processors"
else
    processors=$(nproc)
    e2e_log "no scripted machine here: the host's $processors processors"
fi
[ "$processors" -le 32 ] || processors=32
height=${heights[processors - 1]}

start_gadget
# The window exists before its creation has shown it: waited for, not read once.
expect_soon visible 1 info_value visible
probe info
expect_eq title "$(probe_value title)" "Vornelt Gauge"
# Exactly the popup style plus WS_VISIBLE: no caption, no frame.
expect_eq style "$(probe_value style)" 0x96090000
exstyle=$(probe_value exstyle)
expect_eq "topmost tool window" "$((exstyle & 0x88))" $((0x88))

left=$(probe_value left); top=$(probe_value top)
right=$(probe_value right); bottom=$(probe_value bottom)
read -r screen_width screen_height < <(xdotool getdisplaygeometry)
expect_eq width "$((right - left))" 240
expect_eq "height for $processors processors" "$((bottom - top))" "$height"
expect_eq left "$left" "$((screen_width / 2 - 120))"
expect_eq top "$top" "$((screen_height / 2 - 12))"

screenshot startup
close_gadget
finish
