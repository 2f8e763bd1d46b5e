# The MSI of a Windows build, made by cpack's External generator from the
# files it staged: wixl (Debian's wixl) builds it from primary-mac.wxs, then
# msi-summary.py makes it reproducible. The cabinet inside takes the files'
# times, so they are set to SOURCE_DATE_EPOCH first.
#
# Each flavour's architecture, Program Files folder, and upgrade code, which
# is never to change: Windows Installer knows the versions of a product by it.
if(CPACK_SYSTEM_NAME STREQUAL win64)
    set(architecture x64)
    set(program_files ProgramFiles64Folder)
    set(win64 yes)
    set(upgrade_code 54A66231-D0B2-4828-8349-936302AB7991)
else()
    set(architecture x86)
    set(program_files ProgramFilesFolder)
    set(win64 no)
    set(upgrade_code B0CB016B-90F7-4432-B8D7-199D94B5EF4A)
endif()
# Each version is a product of its own, which replaces an earlier one.
string(UUID product_code NAMESPACE ${upgrade_code} NAME ${CPACK_PACKAGE_VERSION} TYPE SHA1 UPPER)

set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(epoch STREQUAL "")
    string(TIMESTAMP epoch %s UTC)
endif()
file(GLOB staged ${CPACK_TEMPORARY_DIRECTORY}/*)
# Beside the staged files, not among them.
set(msi ${CPACK_TEMPORARY_DIRECTORY}.msi)
execute_process(
    COMMAND touch -d @${epoch} ${staged}
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(
    COMMAND wixl -a ${architecture} -D Version=${CPACK_PACKAGE_VERSION}
        -D ProductCode=${product_code} -D UpgradeCode=${upgrade_code}
        -D ProgramFiles=${program_files} -D Win64=${win64}
        -o ${msi} ${CMAKE_CURRENT_LIST_DIR}/primary-mac.wxs
    WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/msi-summary.py ${msi} ${epoch}
    COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_EXTERNAL_BUILT_PACKAGES ${msi})
