# Windows configuration (cross-compiled with mingw-w64): the gadget, its Win32
# library, the probe, and the tests that run under Wine.
enable_language(RC)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
# No DLL beyond the system's: the C and C++ run-times are linked in.
add_link_options(-static -static-libgcc -static-libstdc++)
# Every other library the program uses is loaded at run time from the system
# folder (platform/win32_system_libraries.h): the import table names only libraries
# that the system itself protects from look-alikes in the program's folder.

# Win32 code: everything of the program but WinMain.
add_library(vg_win32 STATIC)
# The program throws and catches nothing (failures are results), so the shipped
# 32-bit build carries no unwind tables for its own code: they were an eighth
# of the program's size. The 64-bit stand-in keeps them, as Windows x64 expects
# every function to have them. Each function and datum in a section of its
# own lets the program's link drop whatever nothing calls.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  foreach(target vg_portable vg_win32)
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-asynchronous-unwind-tables
                                             -ffunction-sections -fdata-sections)
  endforeach()
endif()
target_include_directories(vg_win32 PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(vg_win32 PUBLIC vg_portable user32 gdi32 shell32 comctl32 advapi32)

# GoogleTest built by the cross compiler from Debian's sources.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Wine: one prefix per build directory, Japanese ANSI code page, no debug noise.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "AMD64")
  set(VG_WINE /usr/lib/wine/wine64)
else()
  set(VG_WINE wine)
endif()
set(VG_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-test-run.sh.in ${CMAKE_BINARY_DIR}/wine-test-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-test-run)

if(VG_RUN_WINE_TESTS)
  # Every Wine test needs the prefix; making it takes seconds, so it is made once.
  add_test(NAME wine_prefix
           COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-prefix.sh ${CMAKE_BINARY_DIR}/wine-run)
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
endif()

function(vg_register_wine_test name)
  if(VG_RUN_WINE_TESTS)
    gtest_add_tests(TARGET ${name} TEST_LIST tests)
    set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 120)
    # Tests that run the whole gadget look for its window by class, which every
    # process on the Wine desktop shares: they run one at a time.
    foreach(test IN LISTS tests)
      if(test MATCHES "^RunGadget\\.")
        set_tests_properties(${test} PROPERTIES RESOURCE_LOCK gadget_window)
      endif()
    endforeach()
  endif()
endfunction()

# One more run of a test program on a Windows that is not Japanese: the wine-run
# wrapper takes the locale (code page and user interface language) from VG_LANG.
# Further arguments go to the program (a --gtest_filter, say).
function(vg_wine_test_in_locale name locale)
  if(VG_RUN_WINE_TESTS)
    add_test(NAME ${name}.${locale} COMMAND ${name} ${ARGN})
    set_tests_properties(${name}.${locale} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
                         ENVIRONMENT "VG_LANG=${locale}")
  endif()
endfunction()

function(vg_portable_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE vg_portable gtest gtest_main)
  vg_register_wine_test(${name})
endfunction()

function(vg_win32_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE vg_win32 gtest gtest_main)
  vg_register_wine_test(${name})
endfunction()

# A shell-driven end-to-end test of the real exe under Wine.
function(vg_e2e_test name script)
  if(VG_RUN_WINE_TESTS)
    add_test(NAME e2e_${name} COMMAND bash ${script} ${ARGN})
    set_tests_properties(e2e_${name} PROPERTIES
      FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL TRUE
      ENVIRONMENT "WINE_RUN=${CMAKE_BINARY_DIR}/wine-run;GADGET=$<TARGET_FILE:VorneltGauge>;PROBE=$<TARGET_FILE:probe>;ARTIFACTS=${CMAKE_BINARY_DIR}/artifacts;SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  endif()
endfunction()
