# Run by cpack after it wrote the zip, before the zip is copied out: writes it
# again with the same files in name order. CPack of CMake 3.25 adds the files in
# the order in which the file system lists the staging folder, and that order
# differs between disks (ext4 lists by a hash seeded per file system).
# The entry times come from SOURCE_DATE_EPOCH, set by PackageTime.cmake.
foreach(zip IN LISTS CPACK_PACKAGE_FILES)
  file(GLOB_RECURSE entries LIST_DIRECTORIES false RELATIVE "${CPACK_TOPLEVEL_DIRECTORY}"
       "${CPACK_TEMPORARY_DIRECTORY}/*")
  list(SORT entries)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${zip}.sorted" --format=zip -- ${entries}
                  WORKING_DIRECTORY "${CPACK_TOPLEVEL_DIRECTORY}"
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not write ${zip} in name order: ${result}")
  endif()
  file(RENAME "${zip}.sorted" "${zip}")
  message(STATUS "Package entries in name order: ${entries}")
endforeach()
