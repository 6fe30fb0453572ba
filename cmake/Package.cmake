# The release package Korvane_Scan.zip (tools/package.sh, or cpack --preset package
# after building the "package" preset):
#   Korvane_Scan/KorvaneScan.exe
#   Korvane_Scan/ReadMe.txt          the user guide (Chinese, UTF-8 with BOM, CRLF)
#   Korvane_Scan/data/copyQ.cmd      copies the quarantine into ESET Smart Security's
#   Korvane_Scan/data/info.txt       empty: the first database update always downloads
# ESET's scanner and modules are not ours to ship; the guide says where they go.
#
# The zip is reproducible: the exe is linked without a time stamp, the entries
# are written in name order (PackageSortEntries.cmake) and every entry gets one
# fixed time, the last commit's, written as UTC (PackageTime.cmake). Each entry
# also records the builder's numeric user and group (the zip's Unix extra field),
# so builds by different accounts differ in those bytes; CI builds as root.

if(NOT MSVC)
  # No link time in the PE header: the same sources give the same exe.
  target_link_options(KorvaneScan PRIVATE -Wl,--no-insert-timestamp)
endif()

install(TARGETS KorvaneScan RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ReadMe.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/data/copyQ.cmd ${PROJECT_SOURCE_DIR}/packaging/data/info.txt
        DESTINATION data)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME "KorvaneScan")
set(CPACK_PACKAGE_VENDOR "Korvane")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Korvane_Scan")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackageTime.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageSortEntries.cmake)
set(CPACK_KORVANE_SOURCE_DIR ${PROJECT_SOURCE_DIR})
include(CPack)
