# Cross toolchain for the 64-bit build of the same sources. It exists so the Win32
# tests can run under wine64 on hosts whose kernel cannot execute 32-bit code.
# The posix thread model: GoogleTest needs std::mutex; -static links winpthreads in.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(VG_OBJDUMP ${TOOLCHAIN_PREFIX}-objdump)
set(VG_STRIP ${TOOLCHAIN_PREFIX}-strip)
