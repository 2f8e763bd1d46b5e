# The portable static Linux build: the program compiled by GCC against musl's
# headers and linked statically with musl's start files and C library, and
# nothing of glibc or the C++ runtime (the program uses none of it). Included
# by the per-architecture toolchain files, which set CMAKE_SYSTEM_PROCESSOR,
# CMAKE_CXX_COMPILER, musl_triple (where Debian's musl-dev puts musl) and
# kernel_headers (the kernel's linux, asm and asm-generic header directories
# for that architecture).
set(CMAKE_SYSTEM_NAME Linux)
# What the project asks to tell this build apart: its packaging is a tarball.
set(PRIMARY_MAC_PORTABLE ON)
# The hardening flags meant for the distribution's dynamic build (PIE, RELRO,
# fortified glibc calls) are not for this one: it is a fixed-address static
# file, and musl has no fortified calls.
set(PRIMARY_MAC_HARDEN OFF)

set(musl_include /usr/include/${musl_triple})
set(musl_lib /usr/lib/${musl_triple})
if(NOT EXISTS ${musl_lib}/libc.a)
    message(FATAL_ERROR "musl for ${CMAKE_SYSTEM_PROCESSOR} is missing: no ${musl_lib}/libc.a")
endif()

# Only the kernel's own headers, through links in the build tree: the
# directories that hold them hold glibc's headers too, which must stay out of
# reach.
set(kernel_only ${CMAKE_BINARY_DIR}/kernel-headers)
file(MAKE_DIRECTORY ${kernel_only})
foreach(directory ${kernel_headers})
    get_filename_component(name ${directory} NAME)
    file(CREATE_LINK ${directory} ${kernel_only}/${name} SYMBOLIC)
endforeach()

# GCC's own start and end files for a static executable, and its helper
# library for whatever the compiler calls out to.
foreach(file crtbeginT.o crtend.o libgcc.a)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${file}
        OUTPUT_VARIABLE gcc_${file} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()

# The build tree's path quoted: it may hold a space.
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc -isystem ${musl_include} -isystem \"${kernel_only}\" -fno-exceptions -fno-rtti")
# Stripped and static: musl's and GCC's start files, the objects, the
# libraries, then the C library, GCC's helpers and the end files.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -nostdlib -s")
set(CMAKE_CXX_LINK_EXECUTABLE "<CMAKE_CXX_COMPILER> <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> \
${musl_lib}/crt1.o ${musl_lib}/crti.o ${gcc_crtbeginT.o} <OBJECTS> -o <TARGET> <LINK_LIBRARIES> \
-Wl,--start-group ${musl_lib}/libc.a ${gcc_libgcc.a} -Wl,--end-group ${gcc_crtend.o} ${musl_lib}/crtn.o")
