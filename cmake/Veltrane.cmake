# Helpers shared by the module CMake files.

# A logic target: plain C++ and at most QtCore. Linking Qt Widgets or Gui here is a build error.
function(vt_logic_library name)
  cmake_parse_arguments(A "SHARED" "" "SOURCES;LINK" ${ARGN})
  if(A_SHARED)
    add_library(${name} SHARED ${A_SOURCES})
  else()
    add_library(${name} STATIC ${A_SOURCES})
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LINK})
  set_property(TARGET ${name} PROPERTY VT_LOGIC TRUE)
  foreach(lib IN LISTS A_LINK)
    if(lib MATCHES "Qt6::(Widgets|Gui|PrintSupport)")
      message(FATAL_ERROR "${name} is a logic target and must not link ${lib}")
    endif()
  endforeach()
endfunction()

# A GoogleTest executable, registered with CTest as one test.
function(vt_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LINK} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set(env QT_QPA_PLATFORM=offscreen VELTRANE_DATA_DIR=${PROJECT_BINARY_DIR}/data
      VELTRANE_SOURCE_DIR=${PROJECT_SOURCE_DIR} ${VT_SANITIZER_ENV})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 ENVIRONMENT "${env}")
endfunction()

# A Google Benchmark executable: built with everything, run on demand. With VELTRANE_BENCHMARKS
# off (the checked builds) only on request, by its target name.
function(vt_benchmark name)
  cmake_parse_arguments(A "" "" "SOURCES;LINK" ${ARGN})
  if(VELTRANE_BENCHMARKS)
    add_executable(${name} ${A_SOURCES})
  else()
    add_executable(${name} EXCLUDE_FROM_ALL ${A_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE ${A_LINK} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# A fuzz target: LLVMFuzzerTestOneInput in SOURCES, its seed corpus in corpus/<name>/ beside
# them. With VELTRANE_FUZZ a libFuzzer program (target vt_fuzz builds them all); otherwise a
# program that runs the files it is given once. Either way the seed corpus runs as a test.
function(vt_fuzz_target name)
  cmake_parse_arguments(A "" "" "SOURCES;LINK" ${ARGN})
  if(NOT TARGET vt_fuzz)
    add_custom_target(vt_fuzz)
  endif()
  set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  if(VELTRANE_FUZZ)
    add_executable(${name} ${A_SOURCES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME ${name} COMMAND ${name} -runs=0 ${corpus})
  else()
    add_executable(${name} ${A_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/CorpusDriver.cpp)
    add_test(NAME ${name} COMMAND ${name} ${corpus})
  endif()
  target_link_libraries(${name} PRIVATE ${A_LINK})
  add_dependencies(vt_fuzz ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  if(VT_SANITIZER_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${VT_SANITIZER_ENV}")
  endif()
endfunction()
