#!/usr/bin/env bash
# Fuzzes the readers of outside text (tag messages, numbers, the settings file)
# and of the kernel's process list with libFuzzer under AddressSanitizer and
# UBSan, each for a bounded time from its seed corpus in tests/fuzz/corpus.
#
#   tools/fuzz.sh              about 30 s per reader (what the test command runs)
#   tools/fuzz.sh 600          a long run: ten minutes per reader
#   tools/fuzz.sh --build-only [SECONDS]   configure and build only
#
# Builds with clang into build/fuzz (FUZZ_BUILD overrides). An input that fails
# is saved as build/fuzz/tests/fuzz/crash-<reader>-<hash>; turn it into a
# regression test among the unit tests, then fix the reader.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${FUZZ_BUILD:-$root/build/fuzz}

run=1
if [ "${1:-}" = "--build-only" ]; then run=0; shift; fi
seconds=${1:-30}

CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -DVG_FUZZ=ON -DVG_BENCHMARKS=OFF \
  -DVG_FUZZ_SECONDS="$seconds" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j"$(nproc)"
if [ "$run" -eq 1 ]; then
  cd "$dir" && ctest --output-on-failure -j"$(nproc)"
fi
