# Shared build rules: warnings, sanitizers, and the helpers every folder uses to declare
# its libraries, tests, fuzz targets and benchmarks.

add_library(orvane_options INTERFACE)
target_compile_options(orvane_options INTERFACE -Wall -Wextra)
if(ORVANE_WERROR)
  target_compile_options(orvane_options INTERFACE -Werror)
endif()
if(ORVANE_ASAN AND ORVANE_TSAN)
  message(FATAL_ERROR "ORVANE_ASAN and ORVANE_TSAN cannot be combined")
endif()
if(ORVANE_ASAN)
  target_compile_options(orvane_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                  -fno-sanitize-recover=undefined)
  target_link_options(orvane_options INTERFACE -fsanitize=address,undefined)
endif()
if(ORVANE_TSAN)
  target_compile_options(orvane_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(orvane_options INTERFACE -fsanitize=thread)
endif()
if(ORVANE_FUZZ)
  target_compile_options(orvane_options INTERFACE -fsanitize=fuzzer-no-link)
  target_link_options(orvane_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# orvane_library(<name> SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# One static library per layer; headers are included as "<layer>/<File>.h" from src/.
function(orvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC orvane_options ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# orvane_test(<name> SOURCES ... LIBS ... [GUI] [SERIAL] [LABELS ...] [TIMEOUT s])
# A GoogleTest program registered with CTest (each test case becomes a CTest test). GUI tests get a
# main that creates a QApplication first; they need an X display (the test command provides one).
# Tests are listed when ctest runs, so listing never needs a display at build time. SERIAL tests run alone
# (they click on the shared X display, where another test's window could be in the way).
function(orvane_test name)
  cmake_parse_arguments(ARG "GUI;SERIAL" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(ARG_GUI)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
    target_link_libraries(${name} PRIVATE orvane_options ${ARG_LIBS} GTest::gtest Qt6::Widgets)
  else()
    target_link_libraries(${name} PRIVATE orvane_options ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  include(GoogleTest)
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 DISCOVERY_MODE PRE_TEST
                       PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}" RUN_SERIAL ${serial})
endfunction()

# orvane_fuzz(<name> SOURCE <file> LIBS ... CORPUS <dir>)
# With ORVANE_FUZZ the target is a libFuzzer program; in every build the same entry point is
# also linked with a replay driver and every corpus file is run as an ordinary test.
function(orvane_fuzz name)
  cmake_parse_arguments(ARG "" "SOURCE;CORPUS" "LIBS" ${ARGN})
  if(ORVANE_FUZZ)
    add_executable(fuzz_${name} ${ARG_SOURCE})
    target_link_libraries(fuzz_${name} PRIVATE orvane_options ${ARG_LIBS})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  endif()
  add_executable(replay_${name} ${ARG_SOURCE} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
  target_link_libraries(replay_${name} PRIVATE orvane_options ${ARG_LIBS})
  add_test(NAME fuzz_corpus.${name} COMMAND replay_${name} ${ARG_CORPUS})
  set_tests_properties(fuzz_corpus.${name} PROPERTIES TIMEOUT 300 LABELS fuzz)
endfunction()

# orvane_bench(<name> SOURCES ... LIBS ...)
function(orvane_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(bench_${name} ${ARG_SOURCES})
  target_link_libraries(bench_${name} PRIVATE orvane_options ${ARG_LIBS} benchmark::benchmark_main)
endfunction()

# Adds every immediate sub-folder of the current folder that has a CMakeLists.txt, in name order,
# so each layer's tests, fuzz targets and benchmarks live beside each other without a central list.
function(orvane_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
