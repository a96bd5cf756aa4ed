# One interface target carries the warnings and the arithmetic rules into every target.
add_library(diffrascope_options INTERFACE)
add_library(diffrascope::options ALIAS diffrascope_options)
target_compile_features(diffrascope_options INTERFACE cxx_std_20)
# No fused multiply-add and no reassociation: every build gives the same doubles.
target_compile_options(diffrascope_options INTERFACE
  -Wall -Wextra -Wpedantic -ffp-contract=off -fno-fast-math)

# Optimised builds use the host's instruction set unless a portable package is wanted.
if(DIFFRASCOPE_NATIVE AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$")
  target_compile_options(diffrascope_options INTERFACE -march=native)
endif()

if(DIFFRASCOPE_SANITIZE)
  target_compile_options(diffrascope_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(diffrascope_options INTERFACE -fsanitize=address,undefined)
endif()

# ThreadSanitizer: the threads of the worker pool checked for races.
option(DIFFRASCOPE_SANITIZE_THREADS "Build with ThreadSanitizer" OFF)
if(DIFFRASCOPE_SANITIZE_THREADS)
  if(DIFFRASCOPE_SANITIZE)
    message(FATAL_ERROR "ThreadSanitizer and AddressSanitizer do not go into one build")
  endif()
  target_compile_options(diffrascope_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(diffrascope_options INTERFACE -fsanitize=thread)
endif()

# libFuzzer (Clang): every target gets the fuzzer's coverage instrumentation,
# the fuzz targets in tests/fuzz link its driver. Meant to go with
# DIFFRASCOPE_SANITIZE, so that a fuzzed input also meets the sanitizers.
option(DIFFRASCOPE_FUZZ "Instrument for libFuzzer and build the fuzz targets (Clang only)" OFF)
if(DIFFRASCOPE_FUZZ)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
  check_cxx_source_compiles([[
    #include <cstddef>
    #include <cstdint>
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *, std::size_t) { return 0; }
  ]] DIFFRASCOPE_HAVE_LIBFUZZER)
  unset(CMAKE_REQUIRED_FLAGS)
  if(NOT DIFFRASCOPE_HAVE_LIBFUZZER)
    message(FATAL_ERROR "DIFFRASCOPE_FUZZ needs a compiler that links -fsanitize=fuzzer (Clang with its runtime)")
  endif()
  target_compile_options(diffrascope_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
