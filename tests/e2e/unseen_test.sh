# While the session is locked the gadget draws nothing: two screenshots taken
# 1.5 s apart are the same, where the sliding shading makes any two drawn
# frames that far apart differ; unlocked, it draws again. The lock and unlock
# are posted to the window as Windows sends them, and each state is waited for
# rather than expected after a fixed time.
source "$(dirname "$0")/lib.sh"

shot_sum() {  # name: takes the screenshot and prints a checksum of its pixels
    screenshot "$1" >/dev/null
    convert "$ARTIFACTS/$1.png" -depth 8 rgb:- | md5sum | cut -d' ' -f1
}
# Whether two screenshots 1.5 s apart differ (frames are drawn) or not.
frames_drawn() {  # name
    local first second
    first=$(shot_sum "$1_1"); sleep 1.5; second=$(shot_sum "$1_2")
    [ "$first" != "$second" ]
}
frames_stopped() { ! frames_drawn "$1"; }

xdotool mousemove 5 5
start_gadget
probe info
session=$(probe_value session)
wait_until frames_drawn unseen_shown || fail "shown: two frames 1.5 s apart are the same"

probe post WM_WTSSESSION_CHANGE 7 "$session"   # WTS_SESSION_LOCK
wait_until frames_stopped unseen_locked || fail "locked: frames still drawn"
locked=$(shot_sum unseen_locked)

probe post WM_WTSSESSION_CHANGE 8 "$session"   # WTS_SESSION_UNLOCK
drawn_since_lock() { [ "$(shot_sum unseen_unlocked)" != "$locked" ]; }
wait_until drawn_since_lock || fail "unlocked: nothing drawn again"
# Another session's lock is not this gadget's.
probe post WM_WTSSESSION_CHANGE 7 "$((session + 1))"
sleep 0.5
wait_until frames_drawn unseen_other || fail "another session's lock stopped the frames"
close_gadget
finish
