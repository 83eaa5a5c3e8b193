# What the running gadget costs: processor time of its process over a stretch
# of running at 30 frames per second, as a share of one core, both as Windows
# reports it (GetProcessTimes through the probe) and as Linux sees the Wine
# process (Wine 8 reports no times for another process, so there the Windows
# figure reads 0 and the Linux one counts). A measurement, not a check: it prints the figures and only fails
# when they cannot be taken.
#   BUDGET_SECONDS=60 ctest -R e2e_frame_budget -V     (the longer measurement)
source "$(dirname "$0")/lib.sh"

seconds=${BUDGET_SECONDS:-30}
ticks=$(getconf CLK_TCK)
xdotool mousemove 5 5
start_gadget
wine_pid=$(pgrep -f "$E2E_DIR/VorneltGauge.exe" | head -n 1 || true)
[ -n "$wine_pid" ] || { fail "no process runs $E2E_DIR/VorneltGauge.exe"; exit 1; }
linux_cpu() { awk '{ print $14 + $15 }' "/proc/$wine_pid/stat"; }

sleep 3  # start-up and the first samples are not the steady state
probe stats || { fail "no figures ($PROBE_OUT)"; exit 1; }
windows0=$(probe_value cpu_ms); linux0=$(linux_cpu); start=$(date +%s%N)
sleep "$seconds"
probe stats || { fail "no figures ($PROBE_OUT)"; exit 1; }
windows1=$(probe_value cpu_ms); linux1=$(linux_cpu); end=$(date +%s%N)

elapsed_ms=$(( (end - start) / 1000000 ))
report=$(awk -v w=$((windows1 - windows0)) -v l=$(( (linux1 - linux0) * 1000 / ticks )) -v t="$elapsed_ms" \
    'BEGIN { printf "over %.1f s at 30 frames/s: %d ms processor time by Windows figures = %.2f %% of one core; %d ms by Linux figures = %.2f %%", t / 1000, w, 100 * w / t, l, 100 * l / t }')
e2e_log "$report"
echo "$report" >"$E2E_DIR/figures.txt"
close_gadget
finish
