# The 64-bit ARM build: unsigned char.
set(TARVO_CROSS_TRIPLE aarch64-linux-gnu)
set(TARVO_CROSS_PROCESSOR aarch64)
set(TARVO_QEMU aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
