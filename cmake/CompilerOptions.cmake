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
