# Shared by the run and test commands: which Windows build this host can execute,
# and a virtual display with a persistent wineserver for it.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"

# Some kernels run without 32-bit support; Wine cannot run the 32-bit gadget there,
# so its 64-bit build of the same sources stands in for every run under Wine.
host_runs_32bit() {
  local dir; dir=$(mktemp -d)
  printf '.globl _start\n_start: movl $1,%%eax\n xorl %%ebx,%%ebx\n int $0x80\n' > "$dir/t.s"
  local ok=1
  if as --32 "$dir/t.s" -o "$dir/t.o" 2>/dev/null && ld -m elf_i386 "$dir/t.o" -o "$dir/t" 2>/dev/null \
     && "$dir/t" 2>/dev/null; then ok=0; fi
  rm -rf "$dir"
  return $ok
}

# Sets wine_build to the build directory whose programs run under Wine here.
choose_wine_build() {
  if host_runs_32bit; then wine_build="$build/win32"; else wine_build="$build/win64"; fi
}

configure_and_build() {  # dir, cmake args...
  local dir="$1"; shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}

build_windows() {  # builds the product (i686) and, when needed, the 64-bit stand-in
  choose_wine_build
  local run32=OFF
  [ "$wine_build" = "$build/win32" ] && run32=ON
  configure_and_build "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DVG_RUN_WINE_TESTS=$run32
  if [ "$wine_build" = "$build/win64" ]; then
    configure_and_build "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
  fi
}

xvfb_pid=""
start_virtual_display() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  echo "Xvfb did not start" >&2; return 1
}

wineserver_prefix=""
start_wineserver() {  # keeps one wineserver alive for the whole run
  local run="$wine_build/wine-run"
  "$root/tools/wine-prefix.sh" "$run"
  wineserver_prefix=$(sed -n 's/^export WINEPREFIX="\(.*\)"$/\1/p' "$run")
  WINEPREFIX="$wineserver_prefix" wineserver -p >/dev/null 2>&1 || true
}

stop_services() {
  if [ -n "$wineserver_prefix" ]; then WINEPREFIX="$wineserver_prefix" wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
