#!/usr/bin/env bash
# What each state of the running gadget costs the whole desktop: the processor
# time of the gadget, of Wine's server, of the shell process that hosts the
# notification area (explorer.exe under Wine) and of the X server, each as a
# share of one core, and their sum; and the gadget's wake-ups (context switches
# of all its threads, from /proc/PID/task/*/status) per second. The states:
# shown; auto-hidden with the cursor resting on it; folded into the
# notification area; the session locked (WM_WTSSESSION_CHANGE posted as Windows
# sends it); and shown on scripted machines of 2, 8 and 32 processors whose
# loads keep moving (tools/scripted_machine; left out where mount namespaces
# are missing). Ratios against shown, from the same run, close the report. A
# measurement, not a check: it prints figures and fails only when it cannot
# take them.
#
#   bash tools/bench/hidden_cost.sh [SECONDS per state, default 30] [ROUNDS, default 2]
#
# Needs the Windows build (the test command builds it). GADGET=path measures
# another build of the program, e.g. an older one to compare with. The figures
# are processor ticks of these processes alone (/proc/PID/stat, utime + stime),
# so other work on the machine slows them down but does not count in them.
set -euo pipefail
source "$(dirname "$0")/cost_lib.sh"

seconds=${1:-30}
rounds=${2:-2}
need_files "$run" "$probe_exe" "$gadget"
dir="$build/hidden_cost"
rm -rf "$dir"
mkdir -p "$dir"
cp "$gadget" "$dir/VorneltGauge.exe"
start_desktop

# Context switches of all the process's threads: how often it woke up.
wakeups() {
    cat /proc/"$1"/task/*/status 2>/dev/null |
        awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { n += $2 } END { print n + 0 }'
}
machine="$root/tools/scripted_machine/scripted-machine"
launcher=()

# Starts the gadget with the given settings and waits until its window is up.
start_gadget() {  # settings
    printf '%s' "$1" >"$dir/Pollstate.txt"
    xdotool mousemove 5 5
    (cd "$dir" && exec ${launcher[@]+"${launcher[@]}"} "$run" "$dir/VorneltGauge.exe" >"$dir/gadget.log" 2>&1) &
    probe wait-window 20000 >/dev/null || { echo "the gadget's window did not appear" >&2; exit 1; }
    # The newest such process: on the scripted machine its launcher names the path too.
    measured_pid=$(pgrep -n -f "$dir/VorneltGauge.exe" || true)
    [ -n "$measured_pid" ] || { echo "no process runs $dir/VorneltGauge.exe" >&2; exit 1; }
}

stop_gadget() {
    probe close-and-wait 5000 >/dev/null || kill "$measured_pid" 2>/dev/null || true
    while kill -0 "$measured_pid" 2>/dev/null; do sleep 0.1; done
    measured_pid=""
}

place='<POSITION><x1>200</x1><y1>200</y1></POSITION><FRAME_RATE>30</FRAME_RATE><TRANS>0</TRANS>'
printf 'over %s s per state, %s round(s); %% of one core (processor ticks of each process, %s per second)\n' \
    "$seconds" "$rounds" "$hz"
states=(shown auto-hidden folded locked)
if "$machine" 1 0 -- true 2>/dev/null; then
    states+=(cpus-2 cpus-8 cpus-32)
else
    echo "no scripted machine here (mount namespaces): the processor counts are left out"
fi
declare -A sum_of wakeups_of gadget_of
printf '%-12s %5s %8s %11s %8s %9s %8s %9s\n' state round gadget wineserver shell 'X server' sum 'wakeups/s'
for round in $(seq "$rounds"); do
    for state in "${states[@]}"; do
        launcher=()
        case $state in
        shown) start_gadget "$place<AUTO_HIDE>0</AUTO_HIDE><ICON>0</ICON>" ;;
        cpus-*)
            launcher=("$machine" "${state#cpus-}" moving --)
            start_gadget "$place<AUTO_HIDE>0</AUTO_HIDE><ICON>0</ICON>"
            ;;
        locked)
            start_gadget "$place<AUTO_HIDE>0</AUTO_HIDE><ICON>0</ICON>"
            session=$(probe info | value session || true)
            probe post WM_WTSSESSION_CHANGE 7 "${session:-1}" >/dev/null
            ;;
        auto-hidden)
            start_gadget "$place<AUTO_HIDE>1</AUTO_HIDE><ICON>0</ICON>"
            sleep 1
            # Two moves over the window, so it surely sees the cursor arrive.
            xdotool mousemove 300 208; sleep 0.2; xdotool mousemove 302 210
            ;;
        folded) start_gadget "$place<AUTO_HIDE>0</AUTO_HIDE><ICON>1</ICON>" ;;
        esac
        sleep 3  # start-up and the first samples are not the steady state
        # Wine may refuse a process start for a moment: ask once more.
        visible=$(probe info | value visible || true)
        [ -n "$visible" ] || { sleep 1; visible=$(probe info | value visible || true); }
        want=0; case $state in shown|locked|cpus-*) want=1;; esac
        [ "$visible" = "$want" ] || { echo "$state: the window's visibility is '$visible', not $want" >&2; exit 1; }
        server=$(prefix_pid '^/[^ ]*wineserver' || prefix_pid wineserver) ||
            { echo "no wineserver for $prefix" >&2; exit 1; }
        shell=$(prefix_pid 'explorer\.exe') || { echo "no explorer.exe for $prefix" >&2; exit 1; }
        if [ "$state" = folded ] && [ "$round" = 1 ]; then
            # Which process draws the icon: the owner of Wine's tray window.
            tray_window=$(xdotool search --name '^Wine System Tray$' 2>/dev/null | head -n 1 || true)
            tray_pid=""
            [ -n "$tray_window" ] && tray_pid=$(xprop -id "$tray_window" _NET_WM_PID 2>/dev/null | sed -n 's/.* = //p')
            tray_host="notification area hosted by pid ${tray_pid:-?} ($(tr '\0' ' ' <"/proc/${tray_pid:-$shell}/cmdline" 2>/dev/null | cut -c1-60)); measured shell pid $shell"
        fi
        pids=("$measured_pid" "$server" "$shell" "$xvfb_pid")
        before=(); for pid in "${pids[@]}"; do before+=("$(ticks "$pid")"); done
        woken=$(wakeups "$measured_pid")
        start=$(date +%s%N)
        sleep "$seconds"
        after=(); for pid in "${pids[@]}"; do after+=("$(ticks "$pid")"); done
        woken=$(( $(wakeups "$measured_pid") - woken ))
        end=$(date +%s%N)
        elapsed_ms=$(( (end - start) / 1000000 ))
        line=$(printf '%-12s %5s' "$state" "$round")
        total=0
        for i in 0 1 2 3; do
            used=$(( after[i] - before[i] ))
            total=$(( total + used ))
            line+=$(core_share "$used" "$elapsed_ms" $((i == 1 ? 11 : i == 3 ? 9 : 8)))
        done
        line+=$(core_share "$total" "$elapsed_ms" 8)
        line+=$(awk -v n="$woken" -v ms="$elapsed_ms" 'BEGIN { printf " %9.1f", 1000 * n / ms }')
        echo "$line"
        # Summed over the rounds, for the ratios.
        sum_of[$state]=$(( ${sum_of[$state]:-0} + total ))
        gadget_of[$state]=$(( ${gadget_of[$state]:-0} + after[0] - before[0] ))
        wakeups_of[$state]=$(( ${wakeups_of[$state]:-0} + woken ))
        stop_gadget
    done
done
echo "${tray_host:-}"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "n/a" }'; }
echo "ratios, same run (every round summed):"
for state in auto-hidden folded locked; do
    printf '  %-12s wake-ups %s of shown, gadget processor time %s, desktop %s\n' "$state" \
        "$(ratio "${wakeups_of[$state]}" "${wakeups_of[shown]}")" \
        "$(ratio "${gadget_of[$state]}" "${gadget_of[shown]}")" \
        "$(ratio "${sum_of[$state]}" "${sum_of[shown]}")"
done
if [ -n "${gadget_of[cpus-2]:-}" ]; then
    for count in 8 32; do
        printf '  %-12s gadget processor time %s of 2 processors, wake-ups %s\n' "cpus-$count" \
            "$(ratio "${gadget_of[cpus-$count]}" "${gadget_of[cpus-2]}")" \
            "$(ratio "${wakeups_of[cpus-$count]}" "${wakeups_of[cpus-2]}")"
    done
fi
