# cmake -DWINE=... -DPREFIX=... -DMODE=setup|cleanup -P wine_prefix.cmake
#
# setup: makes the Wine prefix that the tests run in, inside the build tree.
# Wine's own output goes to a log there rather than to the test runner: the
# programs that Wine leaves running would otherwise hold the runner's pipes.
# cleanup: ends every Wine program of that prefix.
set(ENV{WINEPREFIX} ${PREFIX})
set(ENV{WINEDEBUG} -all)
if(MODE STREQUAL "setup")
  file(MAKE_DIRECTORY ${PREFIX})
  execute_process(COMMAND ${WINE} wineboot.exe --init
                  INPUT_FILE /dev/null OUTPUT_FILE ${PREFIX}/wineboot.log
                  ERROR_FILE ${PREFIX}/wineboot.log RESULT_VARIABLE result TIMEOUT 240)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "wineboot failed (${result}); see ${PREFIX}/wineboot.log")
  endif()
else()
  execute_process(COMMAND wineserver -k OUTPUT_QUIET ERROR_QUIET)
endif()
