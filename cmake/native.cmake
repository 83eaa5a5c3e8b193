# Native (host) configuration: the portable code, its tests and benchmarks.
find_package(GTest REQUIRED)
include(GoogleTest)

# A test executable of portable code; registered in both configurations.
function(vg_portable_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE vg_portable GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
endfunction()

# Windows-only tests do not exist in this configuration.
function(vg_win32_test name)
endfunction()

if(VG_BENCHMARKS)
  find_package(benchmark QUIET)
endif()

# End-to-end tests drive the Windows exe; they exist only in the Windows configuration.
function(vg_e2e_test name script)
endfunction()
