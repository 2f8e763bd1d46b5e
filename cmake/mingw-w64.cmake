# Cross-compiling a Windows console executable with Debian's MinGW-w64.
# Included by the per-architecture toolchain files, which set
# CMAKE_SYSTEM_PROCESSOR and mingw_triple. The win32 thread model needs no
# winpthread runtime.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${mingw_triple}-gcc-win32)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++-win32)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
