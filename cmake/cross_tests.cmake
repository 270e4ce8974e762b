# The end-to-end tests of a tool built for another Linux architecture. They
# must run on this machine, which cannot run the tool by itself: they are
# built in a build of their own for it (host/), and start the tool through
# the toolchain's emulator.
include(ExternalProject)
string(REPLACE ";" "|" launcher "${CMAKE_CROSSCOMPILING_EMULATOR}")
ExternalProject_Add(cli_test_host
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/host
  LIST_SEPARATOR |
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DTARVO_TOOL_EXE=$<TARGET_FILE:tarvo>
             -DTARVO_TOOL_LAUNCHER=${launcher}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target cli_test
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")
add_test(NAME cli_test COMMAND ${CMAKE_BINARY_DIR}/host/tests/cli_test)
set_tests_properties(cli_test PROPERTIES TIMEOUT 900)
