# Shared by the cost measurements of the running gadget (sourced): the Windows
# build to run, the probe, and how a process's processor time is read.
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"

choose_wine_build
run="$wine_build/wine-run"
probe_exe="$wine_build/tools/probe/probe.exe"
gadget=${GADGET:-$wine_build/app/VorneltGauge.exe}
hz=$(getconf CLK_TCK)

# Stops unless every named file exists.
need_files() {
    local file
    for file in "$@"; do
        [ -e "$file" ] || { echo "missing $file: build first (source tools/common.sh; build_windows)" >&2; exit 1; }
    done
}

probe() { "$run" "$probe_exe" "$@" 2>/dev/null | tr -d '\r'; }
value() { sed -n "s/^$1=//p" | head -n 1; }
# utime + stime of a process, in clock ticks; the name field may hold spaces.
ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
# Time on a processor of all the process's threads, in nanoseconds, as the
# scheduler counts it (/proc/PID/task/*/schedstat): exact, where ticks only
# sample which process the clock interrupt found running.
run_ns() {
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%.0f\n", n }'
}
# The process of the prefix in $prefix whose command line matches the pattern.
prefix_pid() {
    local pid
    for pid in $(pgrep -f "$1" || true); do
        if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
            echo "$pid"; return 0
        fi
    done
    return 1
}
# Processor ticks over elapsed milliseconds as a percentage of one core, in a column of `width`.
core_share() {  # ticks milliseconds width
    awk -v u="$1" -v hz="$hz" -v ms="$2" -v w="$3" 'BEGIN { printf " %*.2f", w, 100000 * u / hz / ms }'
}

# The program being measured, ended with the measurement whatever happens.
measured_pid=""
# A script may put more clean-up here; it runs before the services stop.
before_stopping() { :; }
stop_measurement() {
    if [ -n "$measured_pid" ]; then kill "$measured_pid" 2>/dev/null || true; fi
    before_stopping
    stop_services
}
# The virtual display and Wine's server for the measurement; sets `prefix`.
start_desktop() {
    trap stop_measurement EXIT
    trap 'echo "stopped at line $LINENO" >&2' ERR
    start_virtual_display
    start_wineserver
    prefix=$wineserver_prefix
}
