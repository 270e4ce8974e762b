# Cross-compiles for another Debian architecture with Debian's cross
# compilers (g++-<triple>), and names the launcher that runs what it builds
# on this machine with the cross libraries: qemu-user, or the loader where
# the kernel runs that architecture itself. Included by linux-<arch>.cmake,
# which set TARVO_CROSS_TRIPLE, TARVO_CROSS_PROCESSOR, TARVO_QEMU and perhaps
# TARVO_CROSS_LOADER.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${TARVO_CROSS_PROCESSOR})
set(CMAKE_CXX_COMPILER ${TARVO_CROSS_TRIPLE}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVO_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(tarvo_cross_root /usr/${TARVO_CROSS_TRIPLE})
# Whether the kernel runs the architecture's programs itself, as many an
# amd64 kernel runs i386 ones.
set(tarvo_loader_runs 1)
if(TARVO_CROSS_LOADER)
  execute_process(COMMAND ${tarvo_cross_root}/lib/${TARVO_CROSS_LOADER} --version
                  RESULT_VARIABLE tarvo_loader_runs OUTPUT_QUIET ERROR_QUIET)
endif()
if(tarvo_loader_runs EQUAL 0)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${tarvo_cross_root}/lib/${TARVO_CROSS_LOADER}
                                    --library-path ${tarvo_cross_root}/lib)
else()
  find_program(TARVO_QEMU_PROGRAM qemu-${TARVO_QEMU})
  if(NOT TARVO_QEMU_PROGRAM)
    message(FATAL_ERROR "qemu-${TARVO_QEMU} is missing: apt-get install qemu-user")
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARVO_QEMU_PROGRAM} -L ${tarvo_cross_root})
endif()
