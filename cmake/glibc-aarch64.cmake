# The native build's program and library for aarch64 Linux with glibc,
# cross-compiled (Debian's g++-aarch64-linux-gnu, whose libc6-dev-arm64-cross
# is the C library): the library that the language packages carry for
# linux-arm64. qemu-aarch64-static runs what it builds here, with
# -L /usr/aarch64-linux-gnu for the dynamic loader and C library.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L /usr/aarch64-linux-gnu)
