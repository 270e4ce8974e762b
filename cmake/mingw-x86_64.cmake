# The 64-bit Windows build of the same sources, which wine64 runs.
set(TARVO_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
