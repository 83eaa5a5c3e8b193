#!/usr/bin/env bash
# Installs what building, running and testing the gadget needs on Debian 12.
# Safe to run again: it only installs what is missing. Needs root (or sudo).
set -euo pipefail

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake make g++ clang libclang-rt-14-dev
  libgtest-dev googletest libbenchmark-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32 xvfb xdotool x11-utils imagemagick
  fonts-ipafont-gothic python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# wine32 is the i386 build of Wine; the 32-bit gadget needs it.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  missing+=(wine32)
fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
