#!/usr/bin/env bash
# What the shown gadget costs against the floor: a bare window of the same size
# and kind that only copies one bitmap into itself 30 times a second with GetDC,
# BitBlt and ReleaseDC (tools/bench/win32_bare_window.cpp); and what the shown
# gadget costs at 200 % display scale against 100 %. Each program runs alone
# for SECONDS, one after the other, over ROUNDS rounds (every other round in the
# reverse order, so that a drift of the machine falls on both sides); the
# figures are processor ticks (/proc/PID/stat, utime + stime) of the program's
# process, of Wine's server and of the X server, as a share of one core, and
# their sum; and the same sum and the program's own share from the scheduler's
# exact running time (schedstat). Ratios from the same run close the report,
# for both: over all rounds summed, and the range of the single rounds. A measurement, not a check: it prints
# figures and fails only when it cannot take them.
#
#   bash tools/bench/floor_cost.sh [SECONDS per program, default 30] [ROUNDS, default 2]
#
# The gadget draws more the more its bars and figures move, so what it costs
# depends on the machine's own load while it is measured. Where a private mount
# namespace can be had (root), every program runs on a scripted machine of this
# machine's processor count with steady loads: LOADS (default 3, a quiet
# desktop's few percent; "moving" sweeps every processor over 0..100 %; the
# forms of tools/scripted_machine/scripted-machine). LOADS=real, or no
# namespace, measures under the machine's own loads.
#
# Needs the Windows build (the test command builds it). GADGET=path measures
# another build of the gadget; BEFORE=path adds an older build to the same run
# (at both scales), compared with GADGET. Other work on the machine slows the
# programs down but does not count in their ticks; the load average beside each
# figure says how busy the machine was meanwhile.
set -euo pipefail
source "$(dirname "$0")/cost_lib.sh"

seconds=${1:-30}
rounds=${2:-2}
bare_exe="$wine_build/tools/bench/bare_window.exe"
before=${BEFORE:-}
need_files "$run" "$probe_exe" "$bare_exe" "$gadget" ${before:+"$before"}
dir="$build/floor_cost"
rm -rf "$dir"
mkdir -p "$dir/gadget" "$dir/before"
cp "$gadget" "$dir/gadget/VorneltGauge.exe"
[ -z "$before" ] || cp "$before" "$dir/before/VorneltGauge.exe"
cp "$bare_exe" "$dir/bare_window.exe"
desktop='HKCU\Control Panel\Desktop'
set_dpi() { "$run" reg add "$desktop" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
# The prefix is shared with the tests: it goes back to 100 % whatever happened.
before_stopping() { [ -z "${wineserver_prefix:-}" ] || set_dpi 96; }
start_desktop
set_dpi 96

load() { cut -d' ' -f1 /proc/loadavg; }

loads=${LOADS:-3}
machine="$root/tools/scripted_machine/scripted-machine"
if [ "$loads" != real ] && ! "$machine" 1 0 -- true 2>/dev/null; then
    echo "no private mount namespace here: measured under this machine's own loads"
    loads=real
fi
# Starts a program under the chosen loads, in place of the shell.
run_loaded() {
    if [ "$loads" = real ]; then exec "$@"; fi
    exec "$machine" "$(nproc)" "$loads" -- "$@"
}

# The gadget's window at 100 %: 240 wide, two rows of 12 for up to two
# processors, one more row per further pair (up to 32 processors).
processors=$(nproc)
[ "$processors" -le 32 ] || processors=32
rows=2
[ "$processors" -le 2 ] || rows=$(( (processors + 1) / 2 + 1 ))
place='<POSITION><x1>200</x1><y1>200</y1></POSITION><FRAME_RATE>30</FRAME_RATE><TRANS>0</TRANS><AUTO_HIDE>0</AUTO_HIDE><ICON>0</ICON>'

start_program() {  # state
    local state=$1 build=gadget dpi=96
    case $state in before*) build=before;; esac
    case $state in *-200) dpi=192;; esac
    set_dpi "$dpi"
    xdotool mousemove 5 5
    if [ "$state" = bare ]; then
        (cd "$dir" && run_loaded "$run" "$dir/bare_window.exe" 240 $((12 * rows)) 200 200 30 >"$dir/bare.log" 2>&1) &
        for _ in $(seq 100); do
            measured_pid=$(pgrep -n -f "$dir/bare_window.exe" || true)
            [ -z "$measured_pid" ] || break
            sleep 0.1
        done
        [ -n "$measured_pid" ] || { echo "the bare window did not start" >&2; exit 1; }
        # On a scripted machine the shells that start it match as well: the
        # newest process once it runs is the window's own.
        sleep 2
        measured_pid=$(pgrep -n -f "$dir/bare_window.exe" || true)
        [ -n "$measured_pid" ] || { echo "the bare window ended at start" >&2; exit 1; }
    else
        printf '%s' "$place" >"$dir/$build/Pollstate.txt"
        (cd "$dir/$build" && run_loaded "$run" "$dir/$build/VorneltGauge.exe" >"$dir/$build.log" 2>&1) &
        probe wait-window 20000 >/dev/null || { echo "$state: the gadget's window did not appear" >&2; exit 1; }
        measured_pid=$(pgrep -n -f "$dir/$build/VorneltGauge.exe" || true)
        [ -n "$measured_pid" ] || { echo "no process runs $dir/$build/VorneltGauge.exe" >&2; exit 1; }
        sleep 1
        local info width
        info=$(probe info)
        [ "$(value visible <<<"$info")" = 1 ] || { echo "$state: the gadget's window is not shown" >&2; exit 1; }
        width=$(( $(value right <<<"$info") - $(value left <<<"$info") ))
        [ "$width" = $((240 * dpi / 96)) ] || { echo "$state: the window is $width wide, not $((240 * dpi / 96))" >&2; exit 1; }
    fi
}

stop_program() {  # state
    if [ "$1" = bare ]; then
        kill "$measured_pid" 2>/dev/null || true
    else
        probe close-and-wait 5000 >/dev/null || kill "$measured_pid" 2>/dev/null || true
    fi
    while kill -0 "$measured_pid" 2>/dev/null; do sleep 0.1; done
    measured_pid=""
    set_dpi 96
}

states=(gadget bare gadget-200)
[ -z "$before" ] || states=(before gadget bare before-200 gadget-200)
declare -A own total own_ns total_ns
printf 'over %s s per program, %s round(s), %s processor(s) at loads %s; %% of one core (processor ticks, %s per second)\n' \
    "$seconds" "$rounds" "$(nproc)" "$loads" "$hz"
printf '%-11s %5s %8s %11s %9s %8s %10s %10s %11s\n' program round own wineserver 'X server' sum \
    'own exact' 'sum exact' 'load avg'
for round in $(seq "$rounds"); do
    order=("${states[@]}")
    if [ $((round % 2)) = 0 ]; then
        order=(); for ((i = ${#states[@]} - 1; i >= 0; i--)); do order+=("${states[i]}"); done
    fi
    for state in "${order[@]}"; do
        start_program "$state"
        sleep 3  # start-up and the first samples are not the steady state
        server=$(prefix_pid '^/[^ ]*wineserver' || prefix_pid wineserver) ||
            { echo "no wineserver for $prefix" >&2; exit 1; }
        pids=("$measured_pid" "$server" "$xvfb_pid")
        load_before=$(load)
        first=(); first_ns=()
        for p in "${pids[@]}"; do first+=("$(ticks "$p")"); first_ns+=("$(run_ns "$p")"); done
        start=$(date +%s%N)
        sleep "$seconds"
        last=(); last_ns=()
        for p in "${pids[@]}"; do last+=("$(ticks "$p")"); last_ns+=("$(run_ns "$p")"); done
        end=$(date +%s%N)
        elapsed_ms=$(( (end - start) / 1000000 ))
        line=$(printf '%-11s %5s' "$state" "$round")
        sum=0
        for i in 0 1 2; do
            used=$(( last[i] - first[i] ))
            sum=$(( sum + used ))
            line+=$(core_share "$used" "$elapsed_ms" $((i == 1 ? 11 : i == 2 ? 9 : 8)))
        done
        line+=$(core_share "$sum" "$elapsed_ms" 8)
        sum_ns=0
        for i in 0 1 2; do sum_ns=$(( sum_ns + last_ns[i] - first_ns[i] )); done
        own_run_ns=$(( last_ns[0] - first_ns[0] ))
        line+=$(awk -v a="$own_run_ns" -v b="$sum_ns" -v ms="$elapsed_ms" \
            'BEGIN { printf " %10.2f %10.2f", a / ms / 1e4, b / ms / 1e4 }')
        line+=$(printf ' %5s-%-5s' "$load_before" "$(load)")
        echo "$line"
        # Ticks per second of run time, so rounds of slightly different length weigh alike.
        own[$state,$round]=$(awk -v u="$(( last[0] - first[0] ))" -v ms="$elapsed_ms" 'BEGIN { print 1000 * u / ms }')
        total[$state,$round]=$(awk -v u="$sum" -v ms="$elapsed_ms" 'BEGIN { print 1000 * u / ms }')
        own_ns[$state,$round]=$(awk -v u="$own_run_ns" -v ms="$elapsed_ms" 'BEGIN { print u / ms }')
        total_ns[$state,$round]=$(awk -v u="$sum_ns" -v ms="$elapsed_ms" 'BEGIN { print u / ms }')
        stop_program "$state"
    done
done

# "a/b over all rounds (single rounds lo-hi)" for the figures of two programs.
compare() {  # array-name a b
    local -n figures=$1
    local a=0 b=0 ratios=() r
    for round in $(seq "$rounds"); do
        a=$(awk -v x="$a" -v y="${figures[$2,$round]}" 'BEGIN { print x + y }')
        b=$(awk -v x="$b" -v y="${figures[$3,$round]}" 'BEGIN { print x + y }')
        ratios+=("$(awk -v x="${figures[$2,$round]}" -v y="${figures[$3,$round]}" 'BEGIN { if (y > 0) print x / y; else print 0 }')")
    done
    printf '%s' "$(awk -v x="$a" -v y="$b" 'BEGIN { if (y > 0) printf "%.3f", x / y; else print "n/a" }')"
    printf ' (rounds %s)' "$(printf '%s\n' "${ratios[@]}" | sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.2f-%.2f", lo, hi }')"
}
for measure in ticks exact; do
    sums=total owns=own
    [ "$measure" = ticks ] || { sums=total_ns owns=own_ns; }
    echo "ratios, same run ($measure):"
    for g in gadget ${before:+before}; do
        printf '  %-7s all processes %s of the bare window; its own process %s\n' "$g" \
            "$(compare $sums "$g" bare)" "$(compare $owns "$g" bare)"
        printf '  %-7s at 200 %%: all processes %s of 100 %%; its own process %s\n' "$g" \
            "$(compare $sums "$g-200" "$g")" "$(compare $owns "$g-200" "$g")"
    done
    if [ -n "$before" ]; then
        printf '  gadget against before: all processes %s at 100 %%, %s at 200 %%; own process %s, %s\n' \
            "$(compare $sums gadget before)" "$(compare $sums gadget-200 before-200)" \
            "$(compare $owns gadget before)" "$(compare $owns gadget-200 before-200)"
    fi
done
echo "goals: shown gadget all processes <= 1.0 x bare, own process <= 1.15 x bare's; 200 % <= 1.3 x 100 %"
