# The RPM for Red Hat-family systems, included by CMakeLists.txt in the static
# x86-64 build: that build, which needs no C library there, with the man page,
# README and licence where an RPM puts them, and the fact program for the
# fleet engines. They install as a component of their own beside the
# tarball's files (cpack-config.cmake picks it for RPM).
install(TARGETS primary-mac RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT rpm)
install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT rpm)
install(PROGRAMS ${fact_program} DESTINATION ${facts_dir} COMPONENT rpm)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT rpm)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/licenses/${PROJECT_NAME}
    COMPONENT rpm)

list(APPEND CPACK_GENERATOR RPM)
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_ARCHITECTURE x86_64)
set(CPACK_PACKAGE_RELOCATABLE OFF)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_SUMMARY "Print the MAC address of the primary wired Ethernet adapter")
set(CPACK_RPM_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# The system's own directories are the filesystem package's.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/share/man /usr/share/man/man1 /usr/share/licenses)
set(CPACK_RPM_USER_FILELIST
    "%doc /usr/${CMAKE_INSTALL_DOCDIR}/README.md"
    "%license /usr/${CMAKE_INSTALL_DATAROOTDIR}/licenses/${PROJECT_NAME}/LICENSE")
# The changelog from the Debian one.
execute_process(COMMAND awk -v release=1 -f packaging/rpm-changelog.awk packaging/changelog
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_FILE ${PROJECT_BINARY_DIR}/rpm-changelog COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS packaging/changelog)
set(CPACK_RPM_CHANGELOG_FILE ${PROJECT_BINARY_DIR}/rpm-changelog)
# The packager, for which cpack has no setting; the build time and the files'
# times from SOURCE_DATE_EPOCH (rpm 4.18) and no build host's name, so that a
# rebuild gives the same file; the program as built (static, stripped), with
# no build-id links.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _buildhost reproducible
%define __os_install_post %{nil}
%define _build_id_links none")
