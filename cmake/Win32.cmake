# The Win32 layer and KorvaneScan.exe: one 32-bit exe that needs only Windows' own DLLs.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
if(NOT MSVC)
  # Link the C and C++ runtimes (and winpthread) into the exe.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

file(GLOB_RECURSE KORVANE_WIN32_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/*_win.cpp ${PROJECT_SOURCE_DIR}/src/platform/win32/*.cpp)
list(REMOVE_ITEM KORVANE_WIN32_SOURCES ${PROJECT_SOURCE_DIR}/src/app/Main_win.cpp)
add_library(korvane_win32 STATIC ${KORVANE_WIN32_SOURCES})
target_link_libraries(korvane_win32 PUBLIC korvane_logic
  wininet comctl32 shell32 shlwapi ole32 oleaut32 uuid gdi32 user32 advapi32)

add_executable(KorvaneScan WIN32 src/app/Main_win.cpp res/KorvaneScan.rc)
target_link_libraries(KorvaneScan PRIVATE korvane_win32)
if(NOT MSVC)
  # -s: the release exe carries no symbol table.
  target_link_options(KorvaneScan PRIVATE -municode $<$<CONFIG:Release>:-s>)
endif()
set_target_properties(KorvaneScan PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
