# 32-bit ARM with soft float: unsigned char, 64-bit off_t only with _FILE_OFFSET_BITS=64.
set(TARVO_CROSS_TRIPLE arm-linux-gnueabi)
set(TARVO_CROSS_PROCESSOR arm)
set(TARVO_QEMU arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
