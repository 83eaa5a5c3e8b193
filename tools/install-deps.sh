#!/usr/bin/env bash
# Installs what building, running and testing the gadget needs on Debian 12.
# Safe to run again: it only installs what is missing. Needs root (or sudo) only
# when something is missing.
set -euo pipefail

# Root runs the step itself (a fresh container has no sudo); anyone else asks sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null; then sudo "$@"
  else echo "installing needs root: run this as root, or install sudo ($*)" >&2; return 1
  fi
}

packages=(
  cmake make g++ binutils clang libclang-rt-14-dev python3
  libgtest-dev googletest libbenchmark-dev valgrind
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-i686-dev mingw-w64-x86-64-dev
  wine wine64 wine32:i386 xvfb xauth xdotool x11-utils imagemagick procps
  fonts-ipafont-gothic locales
)

# wine32 is the i386 build of Wine, for the 32-bit gadget where the kernel runs
# 32-bit code; wine64 runs the 64-bit build of the same sources everywhere else.
update_needed=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  update_needed=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if [ "$update_needed" = 1 ] || [ "${#missing[@]}" -gt 0 ]; then as_root apt-get update -qq; fi
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page and user interface language from the locale:
# ja_JP.UTF-8 gives 932 (Shift-JIS) and Japanese, the one the tests run in;
# en_US.UTF-8 (1252, English) and zh_CN.UTF-8 (936, a double-byte code page that
# is not Japanese) check the texts where Windows is not Japanese.
generate=0
for name in ja_JP en_US zh_CN; do
  if ! locale -a 2>/dev/null | grep -qi "^$name\.utf-\?8$"; then
    as_root sed -i "s/^# *$name.UTF-8 UTF-8/$name.UTF-8 UTF-8/" /etc/locale.gen
    grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen || echo "$name.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    generate=1
  fi
done
if [ "$generate" = 1 ]; then as_root locale-gen >/dev/null; fi
