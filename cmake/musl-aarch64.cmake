# The static aarch64 Linux executable against musl, cross-compiled (Debian's
# g++-aarch64-linux-gnu, whose linux-libc-dev-arm64-cross has the kernel's
# headers, and musl-dev:arm64). The linker's default 64 KiB segment alignment
# stays, so that it also runs on kernels with 64 KiB pages.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(musl_triple aarch64-linux-musl)
set(kernel_headers /usr/aarch64-linux-gnu/include/linux /usr/aarch64-linux-gnu/include/asm
    /usr/aarch64-linux-gnu/include/asm-generic)
include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
