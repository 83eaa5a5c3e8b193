# The gadget comes up as a borderless topmost tool window of the right size at
# the default place, and WM_CLOSE ends it cleanly.
source "$(dirname "$0")/lib.sh"

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
processors=$(nproc)
if [ "$processors" -le 2 ]; then height=24
elif [ "$processors" -le 4 ]; then height=36
elif [ "$processors" -le 6 ]; then height=48
else height=60; fi
expect_eq width "$((right - left))" 240
expect_eq height "$((bottom - top))" "$height"
expect_eq left "$left" "$((screen_width / 2 - 120))"
expect_eq top "$top" "$((screen_height / 2 - 12))"

screenshot startup
close_gadget
finish
