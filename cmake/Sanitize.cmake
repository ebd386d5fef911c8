# Checked builds. Everything below this file's include gets the flags, so every module, present
# or added later, is built the same way without saying so in its own CMake file.
#
#   VELTRANE_SANITIZE  AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer.
#   VELTRANE_FUZZ      The libFuzzer targets in fuzz/ (clang only); implies VELTRANE_SANITIZE.

option(VELTRANE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VELTRANE_FUZZ "Build the libFuzzer targets (clang)" OFF)
option(VELTRANE_BENCHMARKS "Build the benchmarks" ON)

if(VELTRANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VELTRANE_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)")
  endif()
  set(VELTRANE_SANITIZE ON CACHE BOOL "" FORCE)
  # Coverage feedback for every library the targets link; the fuzzer's main only in the targets.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(VELTRANE_SANITIZE)
  # A failed UB check stops the test instead of printing and going on.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC warns of uninitialised reads the instrumentation itself makes up.
    add_compile_options(-Wno-maybe-uninitialized)
  endif()
  add_link_options(-fsanitize=address,undefined)
  # What every test under the sanitizers runs with; only third-party leaks are suppressed.
  set(VT_SANITIZER_ENV
    "ASAN_OPTIONS=detect_leaks=1:strict_init_order=1:check_initialization_order=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
else()
  set(VT_SANITIZER_ENV "")
endif()
