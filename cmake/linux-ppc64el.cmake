# The 64-bit little-endian POWER build.
set(TARVO_CROSS_TRIPLE powerpc64le-linux-gnu)
set(TARVO_CROSS_PROCESSOR ppc64le)
set(TARVO_QEMU ppc64le)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
