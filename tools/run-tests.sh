#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test:
# native, native under AddressSanitizer/UBSan, a short fuzzing run, and the
# Windows build under Wine (its unit tests and the end-to-end tests of the real gadget).
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$root/tools/install-deps.sh"
trap stop_services EXIT

passed=0; failed=0
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

configure_and_build "$build/native"
run_ctest "$build/native" "native"
configure_and_build "$build/asan" -DVG_SANITIZE=ON -DVG_BENCHMARKS=OFF
run_ctest "$build/asan" "native, AddressSanitizer and UBSan"

# Fuzzing: each reader of outside text (tag messages, numbers, the settings file)
# for a bounded time from its seed corpus; each reader counts as one test.
bash "$root/tools/fuzz.sh" --build-only
run_ctest "$build/fuzz" "fuzzing the readers (tools/fuzz.sh)"

build_windows
start_virtual_display
start_wineserver
if [ "$wine_build" != "$build/win32" ]; then
  run_ctest "$build/win32" "Windows product build (static checks)"
fi
run_ctest "$wine_build" "Windows build under Wine"

echo "all: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
