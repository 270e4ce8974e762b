# The 32-bit Windows console build: tarvo.exe for i686.
set(TARVO_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
