# The IBM Z build: big-endian.
set(TARVO_CROSS_TRIPLE s390x-linux-gnu)
set(TARVO_CROSS_PROCESSOR s390x)
set(TARVO_QEMU s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
