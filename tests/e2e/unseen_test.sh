# While the session is locked the gadget draws nothing: two screenshots taken
# 1.5 s apart are the same, where the sliding shading makes any two drawn
# frames that far apart differ; unlocked, it draws again within a second. The
# lock and unlock are posted to the window as Windows sends them.
source "$(dirname "$0")/lib.sh"

shot_sum() {  # name: takes the screenshot and prints a checksum of its pixels
    screenshot "$1" >/dev/null
    convert "$ARTIFACTS/$1.png" -depth 8 rgb:- | md5sum | cut -d' ' -f1
}

xdotool mousemove 5 5
start_gadget
probe info
session=$(probe_value session)
sleep 2
first=$(shot_sum unseen_shown_1); sleep 1.5; second=$(shot_sum unseen_shown_2)
[ "$first" != "$second" ] || fail "shown: two frames 1.5 s apart are the same"

probe post WM_WTSSESSION_CHANGE 7 "$session"   # WTS_SESSION_LOCK
sleep 0.5
first=$(shot_sum unseen_locked_1); sleep 1.5; second=$(shot_sum unseen_locked_2)
expect_eq "locked: nothing drawn in 1.5 s" "$second" "$first"

probe post WM_WTSSESSION_CHANGE 8 "$session"   # WTS_SESSION_UNLOCK
sleep 1
third=$(shot_sum unseen_unlocked)
[ "$third" != "$second" ] || fail "unlocked: still nothing drawn after a second"
# Another session's lock is not this gadget's.
probe post WM_WTSSESSION_CHANGE 7 "$((session + 1))"
sleep 0.5
first=$(shot_sum unseen_other_1); sleep 1.5; second=$(shot_sum unseen_other_2)
[ "$first" != "$second" ] || fail "another session's lock stopped the frames"
close_gadget
finish
