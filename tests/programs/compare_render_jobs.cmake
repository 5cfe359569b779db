# Runs render_jobs on Linux and on Windows (under Wine) and fails unless both
# print the same job hashes (CrossPlatform.RenderJobsAreBitIdentical).
execute_process(COMMAND ${LINUX_PROGRAM} RESULT_VARIABLE linuxResult OUTPUT_VARIABLE linuxLines ERROR_VARIABLE linuxErrors)
if(NOT linuxResult EQUAL 0)
  message(FATAL_ERROR "Linux render_jobs failed (${linuxResult}): ${linuxErrors}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env VARNOCK_WINEPREFIX=${WINE_PREFIX} ${WINE_RUN} ${WINDOWS_PROGRAM}
                RESULT_VARIABLE windowsResult OUTPUT_VARIABLE windowsLines ERROR_VARIABLE windowsErrors)
if(NOT windowsResult EQUAL 0)
  message(FATAL_ERROR "Windows render_jobs failed (${windowsResult}): ${windowsErrors}")
endif()
string(REPLACE "\r" "" windowsLines "${windowsLines}")
message(STATUS "Linux:\n${linuxLines}")
if(NOT linuxLines STREQUAL windowsLines)
  message(FATAL_ERROR "the Windows renders differ:\n${windowsLines}")
endif()
string(REGEX MATCHALL "\n" jobs "${linuxLines}")
list(LENGTH jobs count)
message(STATUS "${count} render jobs bit-identical on Linux and Windows")
