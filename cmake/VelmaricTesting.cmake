# Test helpers shared by every directory.
#   velmaric_native_test(NAME SOURCES... [LIBS ...] [NO_TEST])   GoogleTest program, native build
#       NO_TEST: built only; its ctest entries are made otherwise (velmaric_ua_peer_test).
#   velmaric_wine_test(NAME SOURCES... [LIBS ...] [TIMEOUT s] [WINDOWS] [FIXTURES ...])
#       GoogleTest program for Windows, run under Wine through the emulator.
#       WINDOWS: the test creates windows and takes the shared "windows" lock.
#       FIXTURES: fixtures required (for example ocx_registered).
#   velmaric_ua_peer_test(NAME TARGET [ARGS ...])
#       Runs TARGET's program (through the emulator in the Windows builds) beside the scripted OPC UA
#       alarm server, under scripts/with-ua-peer.sh; skipped, not passed, where the server cannot run.
include_guard(GLOBAL)

function(velmaric_native_test name)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(T "NO_TEST" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main Threads::Threads)
  if(NOT T_NO_TEST)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS native)
  endif()
endfunction()

function(velmaric_wine_test name)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(T "WINDOWS" "TIMEOUT" "SOURCES;LIBS;FIXTURES" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS wine
    ENVIRONMENT "VELMARIC_BIN=${CMAKE_BINARY_DIR}")
  if(T_WINDOWS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK windows)
  endif()
  if(T_FIXTURES)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
  endif()
endfunction()

function(velmaric_ua_peer_test name target)
  if(WIN32)
    set(run ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${target}>)
    set(label wine)
  else()
    set(run $<TARGET_FILE:${target}>)
    set(label native)
  endif()
  add_test(NAME ${name} COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/with-ua-peer.sh --optional ${run} ${ARGN})
  # Each test has a server of its own on a free port, so they may run side by side.
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS ${label} SKIP_RETURN_CODE 77
    ENVIRONMENT "VELMARIC_BIN=${CMAKE_BINARY_DIR}")
endfunction()
