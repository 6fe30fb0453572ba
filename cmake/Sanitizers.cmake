# KORVANE_SANITIZE: the portable logic and its native unit tests built with
# AddressSanitizer and UndefinedBehaviorSanitizer (g++ or clang++). Every finding
# aborts the test that hit it, so a run with findings cannot pass.
option(KORVANE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer (native g++/clang++ only)" OFF)

if(KORVANE_SANITIZE)
  if(WIN32 OR MSVC)
    message(FATAL_ERROR "KORVANE_SANITIZE is for the native build (g++ or clang++ on Linux)")
  endif()
  set(KORVANE_SANITIZER_FLAGS
    -fsanitize=address,undefined
    -fno-sanitize-recover=all
    -fno-omit-frame-pointer)
  add_compile_options(${KORVANE_SANITIZER_FLAGS})
  add_link_options(${KORVANE_SANITIZER_FLAGS})
endif()
