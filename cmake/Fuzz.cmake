# KORVANE_FUZZ: libFuzzer targets for the code that reads outside input (HTTP
# bodies, download streams, feed documents), built with clang++. The portable
# logic is compiled with coverage feedback and AddressSanitizer/UBSan; each target
# in tests/fuzz links libFuzzer's driver. Run them with tools/fuzz.sh.
option(KORVANE_FUZZ "Build the libFuzzer targets in tests/fuzz (clang++ only)" OFF)

if(KORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KORVANE_FUZZ needs clang++ (libFuzzer); this build uses ${CMAKE_CXX_COMPILER_ID}")
  endif()
  if(KORVANE_SANITIZE)
    message(FATAL_ERROR "KORVANE_FUZZ brings its own sanitizers: leave KORVANE_SANITIZE off")
  endif()
  set(KORVANE_FUZZ_FLAGS
    -fsanitize=fuzzer-no-link,address,undefined
    -fno-sanitize-recover=all
    -fno-omit-frame-pointer)
  add_compile_options(${KORVANE_FUZZ_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()
