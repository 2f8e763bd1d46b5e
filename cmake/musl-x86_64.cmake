# The static x86-64 Linux executable against musl (Debian's musl-tools and
# musl-dev; the kernel's headers from linux-libc-dev).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_CXX_COMPILER g++)
set(musl_triple x86_64-linux-musl)
set(kernel_headers /usr/include/linux /usr/include/x86_64-linux-gnu/asm /usr/include/asm-generic)
include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
