# The 32-bit ARM build (hard float): unsigned char, 32-bit pointers and
# longs, and file offsets that are 64 bits wide only with _FILE_OFFSET_BITS=64.
set(TARVO_CROSS_TRIPLE arm-linux-gnueabihf)
set(TARVO_CROSS_PROCESSOR arm)
set(TARVO_QEMU arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
