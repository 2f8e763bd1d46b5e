# The .deb set of the Linux build, split as Debian splits a library, one
# package per install component: the program (primary-mac, as it always was);
# the shared library alone, in a package named after its SONAME
# (libprimary-mac<major>), so that programs built against one major version
# keep theirs when the next is installed beside it; and what programs are
# built with (libprimary-mac-dev): the header, the static library, the .so
# link, the pkg-config file, the CMake package and the library's man pages.
# Each package has its own copyright file and changelog.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL program library development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(library_package libprimary-mac${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME primary-mac)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PROGRAM_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
${CPACK_PACKAGE_DESCRIPTION}")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME ${library_package})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_MULTIARCH same)
# The shlibs file that tells dpkg-shlibdeps which package a program built
# against the library needs, and the ldconfig trigger in place of calls.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_PRIMARY_MAC_LIBRARY_PACKAGE ${library_package})
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/deb-ldconfig.cmake)
set(CPACK_DEBIAN_LIBRARY_DESCRIPTION "MAC address of the primary wired Ethernet adapter (library)
The primary-mac library gives programs the hardware address of the machine's
primary wired Ethernet adapter, as the primary-mac program prints it, with one
call: for licence checks compiled into applications.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libprimary-mac-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_MULTIARCH same)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${library_package} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "MAC address of the primary wired Ethernet adapter (development files)
The primary-mac library gives programs the hardware address of the machine's
primary wired Ethernet adapter, as the primary-mac program prints it, with one
call: for licence checks compiled into applications.
.
This package holds the header, the static library, the pkg-config file, the
CMake package and the manual pages.")

foreach(component library development)
    string(TOUPPER ${component} name)
    set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_DEBIAN_${name}_PACKAGE_NAME})
    # Only in the packages: an install by hand has the program's.
    install(FILES ${changelog} DESTINATION ${doc_dir} COMPONENT ${component} EXCLUDE_FROM_ALL)
    install(FILES LICENSE DESTINATION ${doc_dir} RENAME copyright COMPONENT ${component}
        EXCLUDE_FROM_ALL)
endforeach()
