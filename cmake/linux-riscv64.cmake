# The 64-bit RISC-V build: unsigned char.
set(TARVO_CROSS_TRIPLE riscv64-linux-gnu)
set(TARVO_CROSS_PROCESSOR riscv64)
set(TARVO_QEMU riscv64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
