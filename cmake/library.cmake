# The library for programs that embed the answer (include/primary-mac.h): the
# scan and this platform's layer behind one call, under the platform's lock,
# as a shared library (a DLL with its import libraries on Windows) and a static
# one, both named primary-mac. Only the calls of the header are exported.
# Included by CMakeLists.txt once the platform layer's object library
# (PRIMARY_MAC_PLATFORM_LAYER) is defined; the program links none of this. The
# layer imports no DLL but the system's own (it loads iphlpapi.dll from the
# system folder itself), and its process-wide settings are the program's, so
# the DLL leaves the host's DLL search as it is.
if(WIN32)
    set(lock src/platform/win/lock.cpp)
else()
    set(lock src/platform/linux/lock.cpp)
endif()

foreach(kind shared static)
    string(TOUPPER ${kind} type)
    set(library primary_mac_${kind})
    # The objects themselves, not the object libraries, so that the exported
    # targets depend on nothing else of ours.
    add_library(${library} ${type} src/library.cpp ${lock} $<TARGET_OBJECTS:primary_mac_core>
        $<TARGET_OBJECTS:${PRIMARY_MAC_PLATFORM_LAYER}>)
    target_include_directories(${library} PRIVATE src PUBLIC
        $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    target_compile_options(${library} PRIVATE ${PRIMARY_MAC_LEAN_FLAGS})
    target_compile_definitions(${library} PRIVATE PRIMARY_MAC_VERSION="${PROJECT_VERSION}")
    set_target_properties(${library} PROPERTIES OUTPUT_NAME primary-mac
        POSITION_INDEPENDENT_CODE ON CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endforeach()
set_target_properties(primary_mac_shared PROPERTIES EXPORT_NAME primary-mac)
set_target_properties(primary_mac_static PROPERTIES EXPORT_NAME primary-mac-static)

if(WIN32)
    # primary-mac.dll, its import library libprimary-mac.dll.a and the static
    # libprimary-mac.a. The DLL exports what is marked for export; it carries
    # its own version resource, and is linked as the program is: the MinGW
    # runtime in it, stripped, no link time.
    target_compile_definitions(primary_mac_shared PRIVATE
        "PRIMARY_MAC_API=__declspec(dllexport)")
    set(resource_file_type VFT_DLL)
    set(resource_file_name primary-mac.dll)
    set(resource_description
        "The MAC address of the machine's primary wired Ethernet adapter, for programs")
    set(resource_manifest "")
    configure_file(packaging/version.rc.in library-version.rc @ONLY)
    target_sources(primary_mac_shared PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/library-version.rc)
    set_target_properties(primary_mac_shared PROPERTIES PREFIX "")
    target_link_options(primary_mac_shared PRIVATE -static -s -Wl,--no-insert-timestamp
        -Wl,--output-def,${PROJECT_BINARY_DIR}/primary-mac.def)
    # For MSVC, which cannot read MinGW's import library: primary-mac.def, the
    # DLL's exports as the linker wrote them, and primary-mac.lib made from it
    # in the format of MSVC's own import libraries. On 32-bit x86 it names the
    # calls as MSVC decorates cdecl ones (_primary_mac_get) and imports them
    # undecorated. Not GNU dlltool: its members lack the SafeSEH mark, which
    # a 32-bit link with /SAFESEH (lld-link's default) requires of them.
    find_program(PRIMARY_MAC_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(machine i386:x86-64)
    else()
        set(machine i386)
    endif()
    add_custom_command(TARGET primary_mac_shared POST_BUILD
        COMMAND ${PRIMARY_MAC_DLLTOOL} -m ${machine} -d primary-mac.def
            -D $<TARGET_FILE_NAME:primary_mac_shared> -l primary-mac.lib
        WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
    # Beside the program in the ZIP and the MSI: the DLL, its import libraries
    # for MinGW and MSVC, the .def, the static library and the header.
    install(TARGETS primary_mac_shared primary_mac_static RUNTIME DESTINATION .
        ARCHIVE DESTINATION .)
    install(FILES include/primary-mac.h ${PROJECT_BINARY_DIR}/primary-mac.def
        ${PROJECT_BINARY_DIR}/primary-mac.lib DESTINATION .)
    return()
endif()

# libprimary-mac.so.<major>, its SONAME, which changes with the major version
# (its calls and their meaning hold within one), and libprimary-mac.a.
foreach(library primary_mac_shared primary_mac_static)
    target_compile_definitions(${library} PRIVATE
        "PRIMARY_MAC_API=__attribute__((visibility(\"default\")))")
endforeach()
set_target_properties(primary_mac_shared PROPERTIES VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR})
# Nothing of the C++ runtime is used or needed.
target_link_options(primary_mac_shared PRIVATE -static-libstdc++ -static-libgcc
    -Wl,--as-needed)

# The static library as one object in which the calls alone are global: the
# names of the scan and of the Linux layer (GetPrimaryMac, g_trace, ...)
# cannot clash with a program's own.
add_custom_command(TARGET primary_mac_static POST_BUILD
    COMMAND ${CMAKE_LINKER} -r -o primary-mac-static.o --whole-archive
        $<TARGET_FILE:primary_mac_static>
    COMMAND ${CMAKE_OBJCOPY} --localize-hidden primary-mac-static.o
    COMMAND ${CMAKE_COMMAND} -E rm -f $<TARGET_FILE:primary_mac_static>
    COMMAND ${CMAKE_AR} qcD $<TARGET_FILE:primary_mac_static> primary-mac-static.o
    COMMAND ${CMAKE_COMMAND} -E rm -f primary-mac-static.o
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)

# Installed as Debian splits it: the shared library by itself (the runtime
# package), and what a program is built with (the development package): the
# header, the static library, the .so link, the pkg-config file, the CMake
# package and the library's man pages.
install(TARGETS primary_mac_shared primary_mac_static EXPORT primary-mac-targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library
    NAMELINK_COMPONENT development
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/primary-mac.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
    COMPONENT development)

# find_package(primary-mac CONFIG): the targets primary-mac::primary-mac and
# primary-mac::primary-mac-static, found wherever the files are.
set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/primary-mac)
install(EXPORT primary-mac-targets NAMESPACE primary-mac:: DESTINATION ${package_dir}
    COMPONENT development)
include(CMakePackageConfigHelpers)
write_basic_package_version_file(primary-mac-config-version.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES packaging/primary-mac-config.cmake
    ${PROJECT_BINARY_DIR}/primary-mac-config-version.cmake DESTINATION ${package_dir}
    COMPONENT development)

# pkg-config: found the same way, its prefix taken from where the file is.
file(RELATIVE_PATH pc_prefix /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" pc_prefix "${pc_prefix}")
configure_file(packaging/primary-mac.pc.in primary-mac.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/primary-mac.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
    COMPONENT development)
