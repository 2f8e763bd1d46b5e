# find_package(primary-mac CONFIG): the library's imported targets,
# primary-mac::primary-mac (shared) and primary-mac::primary-mac-static.
include(${CMAKE_CURRENT_LIST_DIR}/primary-mac-targets.cmake)
