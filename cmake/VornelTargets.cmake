# Helpers that keep the folders' CMakeLists.txt short.

# Adds every folder below TOP that holds a CMakeLists.txt, shallowest first.
function(vornel_add_tree top)
  file(GLOB_RECURSE lists RELATIVE ${CMAKE_SOURCE_DIR}
       ${CMAKE_SOURCE_DIR}/${top}/CMakeLists.txt ${CMAKE_SOURCE_DIR}/${top}/*/CMakeLists.txt)
  list(SORT lists)
  foreach(file ${lists})
    get_filename_component(dir ${file} DIRECTORY)
    add_subdirectory(${CMAKE_SOURCE_DIR}/${dir} ${CMAKE_BINARY_DIR}/${dir})
  endforeach()
endfunction()

# vornel_add_test(NAME SOURCES a.cpp ... LIBS lib ... [LABELS l ...] [TIMEOUT s]
#                 [ENVIRONMENT VAR=value ...] [FIXTURES fixture ...] [WINDOWS])
# A GoogleTest executable whose cases CTest lists one by one. FIXTURES names the
# CTest fixtures (setup steps) that the Windows build runs before the program.
# WINDOWS: under Wine the program shows windows, so it runs on an X server of its
# own (xvfb-run).
function(vornel_add_test name)
  cmake_parse_arguments(T "WINDOWS" "TIMEOUT" "SOURCES;LIBS;LABELS;ENVIRONMENT;FIXTURES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(properties TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    list(APPEND properties LABELS "${T_LABELS}")
  endif()
  if(T_ENVIRONMENT)
    # Through env(1): a list value would not survive the test-property forwarding.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "env;${T_ENVIRONMENT}")
  endif()
  if(WIN32)
    # Every test program is one whose imports the check windows.system_imports
    # looks at.
    set_property(GLOBAL APPEND PROPERTY VORNEL_WINDOWS_PROGRAMS ${name})
    # Under Wine: the program runs once with GoogleTest's own runner (one start of
    # Wine for all its cases), in the private prefix of the build.
    if(T_WINDOWS)
      # A prefix of its own (made by its first run): the desktop process that Wine
      # starts there takes this X server's display, and what it leaves in the
      # prefix must not meet the programs that run without a display. The test
      # ends once that desktop has gone, before its X server goes.
      add_test(NAME ${name} COMMAND env ${VORNEL_WINE_ENVIRONMENT} ${T_ENVIRONMENT}
               WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-x
               xvfb-run -a -s "-screen 0 1024x768x24"
               sh -c "wine \"$0\"; status=$?; wineserver -w; exit $status"
               $<TARGET_FILE:${name}>)
    else()
      add_test(NAME ${name} COMMAND env ${VORNEL_WINE_ENVIRONMENT} ${T_ENVIRONMENT}
               wine $<TARGET_FILE:${name}>)
    endif()
    math(EXPR whole "${T_TIMEOUT} * 5")
    set_tests_properties(${name} PROPERTIES TIMEOUT ${whole}
                                            FIXTURES_REQUIRED "wineprefix;${T_FIXTURES}"
                                            WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    if(T_LABELS)
      set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
    return()
  endif()
  include(GoogleTest)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${properties})
endfunction()

# vornel_add_fuzzer(NAME SOURCES a.cpp ... LIBS lib ... [CORPUS dir])
# With VORNEL_FUZZ a libFuzzer binary; otherwise a replay program that feeds every
# file of the committed corpus to the target once, registered as a test.
function(vornel_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(VORNEL_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzzers ${name})
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    if(F_CORPUS)
      add_test(NAME ${name}.corpus COMMAND ${name} ${F_CORPUS})
      set_tests_properties(${name}.corpus PROPERTIES TIMEOUT 300 LABELS fuzz)
    endif()
  endif()
endfunction()

# vornel_add_benchmark(NAME SOURCES a.cpp ... LIBS lib ... [ARGS arg ...])
# Built by `make bench` only (Release build), run there through CTest's label
# "bench"; never part of `make test`. Elsewhere CTest reports them skipped, so a
# plain build and ctest pass in every build type.
function(vornel_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} EXCLUDE_FROM_ALL ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS})
  add_dependencies(benchmarks ${name})
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    add_test(NAME bench.${name}
             COMMAND ${CMAKE_SOURCE_DIR}/cmake/run_benchmark.sh $<TARGET_FILE:${name}> ${B_ARGS})
    set_tests_properties(bench.${name} PROPERTIES LABELS bench TIMEOUT 3600 RUN_SERIAL TRUE
                                                  SKIP_RETURN_CODE 77)
  endif()
endfunction()
