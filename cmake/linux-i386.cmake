# The 32-bit x86 build: 32-bit pointers and longs, and file offsets that are
# 64 bits wide only with _FILE_OFFSET_BITS=64.
set(TARVO_CROSS_TRIPLE i686-linux-gnu)
set(TARVO_CROSS_PROCESSOR i686)
set(TARVO_QEMU i386)
set(TARVO_CROSS_LOADER ld-linux.so.2)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
