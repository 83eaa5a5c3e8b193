#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test:
# native, native under AddressSanitizer/UBSan, a short fuzzing run, and the
# Windows build under Wine (its unit tests and the end-to-end tests of the real gadget).
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$root/tools/install-deps.sh"
trap stop_services EXIT

passed=0; failed=0
# Seconds per stage, printed at the end, to see where the time goes.
timings=""; stage_name=""; stage_start=$SECONDS
stage() {  # name of the stage that starts now
  [ -z "$stage_name" ] || timings+="  $stage_name: $((SECONDS - stage_start)) s"$'\n'
  stage_name=$1; stage_start=$SECONDS
}
run_ctest() {  # dir, label
  echo "== $2 =="
  local log; log=$(mktemp)
  set +e
  (cd "$1" && ctest --output-on-failure -j"$(nproc)" --timeout 600) 2>&1 | tee "$log"
  set -e
  local line; line=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" | tail -n 1)
  rm -f "$log"
  if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
  local total bad
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad)); failed=$((failed + bad))
}

stage "native build"
configure_and_build "$build/native"
stage "native tests"
run_ctest "$build/native" "native"
stage "sanitizer build"
configure_and_build "$build/asan" -DVG_SANITIZE=ON -DVG_BENCHMARKS=OFF
stage "sanitizer tests"
run_ctest "$build/asan" "native, AddressSanitizer and UBSan"

# Fuzzing: each reader of outside text (tag messages, numbers, the settings file)
# for a bounded time from its seed corpus; each reader counts as one test.
stage "fuzzing build"
bash "$root/tools/fuzz.sh" --build-only
stage "fuzzing"
run_ctest "$build/fuzz" "fuzzing the readers (tools/fuzz.sh)"

stage "Windows builds"
build_windows
stage "Windows tests"
start_virtual_display
start_wineserver
if [ "$wine_build" != "$build/win32" ]; then
  run_ctest "$build/win32" "Windows product build (static checks)"
fi
run_ctest "$wine_build" "Windows build under Wine"
stage ""

printf 'time per stage:\n%s' "$timings"
echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
