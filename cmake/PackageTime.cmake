# Read by cpack before it builds the archive: fixes the time of every entry.
# SOURCE_DATE_EPOCH, when the caller set it, wins; else the time of the last
# commit of the source tree; else a fixed date. Zip entries hold local times,
# so the archive is written with the time zone set to UTC.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} OR "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(korvane_epoch "")
  find_program(KORVANE_GIT git)
  if(KORVANE_GIT)
    execute_process(COMMAND ${KORVANE_GIT} -C "${CPACK_KORVANE_SOURCE_DIR}" log -1 --format=%ct
                    OUTPUT_VARIABLE korvane_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE korvane_git_result ERROR_QUIET)
    if(NOT korvane_git_result EQUAL 0)
      set(korvane_epoch "")
    endif()
  endif()
  if(NOT korvane_epoch MATCHES "^[0-9]+$")
    set(korvane_epoch 1693526400)  # 2023-09-01 00:00:00 UTC
  endif()
  set(ENV{SOURCE_DATE_EPOCH} "${korvane_epoch}")
endif()
set(ENV{TZ} "UTC")
