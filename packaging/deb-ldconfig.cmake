# Run by cpack once it has built the .deb set (CPACK_POST_BUILD_SCRIPTS): the
# runtime library's package gets the ldconfig trigger that Debian's library
# packages use instead of the ldconfig calls that cpack writes into maintainer
# scripts of its own. dpkg-deb builds it again, its times clamped to
# SOURCE_DATE_EPOCH, so that it stays reproducible.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(name ${package} NAME)
    if(NOT name MATCHES "^${CPACK_PRIMARY_MAC_LIBRARY_PACKAGE}_.*\\.deb$")
        continue()
    endif()
    set(tree ${CPACK_TOPLEVEL_DIRECTORY}/ldconfig-trigger)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb -R ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
    file(WRITE ${tree}/DEBIAN/triggers "activate-noawait ldconfig\n")
    execute_process(COMMAND dpkg-deb --root-owner-group -b ${tree} ${package}
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
