# Helpers that keep the per-folder CMakeLists short: sources are picked up by pattern, so adding
# a file to a folder needs no CMake edit.

# orvane_library(<target> [WX] [DEPS <targets...>])
# A static library of every *.cpp in the calling folder. Its headers are included as
# "<folder>/<file>.h" from the source root.
function(orvane_library target)
  cmake_parse_arguments(A "WX" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${A_DEPS})
    return()
  endif()
  add_library(${target} STATIC ${srcs})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${A_DEPS})
  if(A_WX)
    target_link_libraries(${target} PUBLIC wx)
  endif()
endfunction()

# orvane_tests(<executable> [GUI] [TIMEOUT <seconds>] [LIBS <targets...>])
# One GoogleTest executable of every *_test.cpp in the calling folder, each test discovered by
# CTest with a time-out and its folder's name as a label. GUI tests get the wx test main and the
# label `gui` instead.
# Every fuzz_*.cpp in the folder becomes a libFuzzer target when ORVANE_FUZZ is on; its seed
# inputs may sit in a folder corpus/<name>/ beside it.
function(orvane_tests exe)
  cmake_parse_arguments(A "GUI" "TIMEOUT" "LIBS" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 60)
  endif()
  if(ORVANE_FUZZ)
    file(GLOB fuzzers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_*.cpp)
    foreach(f ${fuzzers})
      get_filename_component(name ${f} NAME_WE)
      add_executable(${name} ${f})
      target_link_libraries(${name} PRIVATE ${A_LIBS})
      target_link_options(${name} PRIVATE -fsanitize=fuzzer)
      set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
      file(MAKE_DIRECTORY ${work})
      set(seeds "")
      if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
        set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
      endif()
      add_test(NAME ${name}
               COMMAND ${name} -max_total_time=${ORVANE_FUZZ_SECONDS} -rss_limit_mb=2048
                       -timeout=10 -print_final_stats=0 ${work} ${seeds})
      math(EXPR limit "${ORVANE_FUZZ_SECONDS} * 3 + 60")
      set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT ${limit})
    endforeach()
    return()
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${exe} ${srcs})
  target_link_libraries(${exe} PRIVATE ${A_LIBS} orvane_testsupport GTest::gtest)
  # Each test carries its folder's name as a label (`ctest -L core`); window tests carry `gui`
  # (a discovered test's properties take single values: a list would shift the ones after it).
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  if(A_GUI)
    target_link_libraries(${exe} PRIVATE orvane_guitestmain wx)
    gtest_discover_tests(${exe} PROPERTIES LABELS gui TIMEOUT ${A_TIMEOUT} RESOURCE_LOCK xdisplay
                         ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support/lsan-toolkit.supp"
                         DISCOVERY_TIMEOUT 60 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  else()
    target_link_libraries(${exe} PRIVATE GTest::gtest_main)
    gtest_discover_tests(${exe} PROPERTIES LABELS ${folder} TIMEOUT ${A_TIMEOUT} DISCOVERY_TIMEOUT 60
                         WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
endfunction()
