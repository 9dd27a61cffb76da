# "cpack" in a build folder makes two Debian packages from the install
# components: tapewren (the window) and tapewren-cli (command line and
# tapewren-probe, no Qt). dpkg-shlibdeps computes each one's library
# dependencies from its binaries.
set(TW_PACKAGE_MAINTAINER "Tapewren developers <tapewren@example.org>"
    CACHE STRING "Maintainer field and changelog signature of the Debian packages")

# What Debian policy wants in every package's doc folder: the copyright and
# a changelog of this version (dated by SOURCE_DATE_EPOCH when set).
string(TIMESTAMP tw_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/changelog
                OUTPUT_FILE ${PROJECT_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${TW_DOC_CLI} COMPONENT cli)
set(tw_components cli)
if(TARGET tapewren)
  install(FILES ${PROJECT_SOURCE_DIR}/data/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${TW_DOC_WINDOW} COMPONENT window)
  list(APPEND tw_components window)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tapewren)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tapewren developers")
set(CPACK_PACKAGE_CONTACT ${TW_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL ${tw_components})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TW_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SOURCE tapewren)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME tapewren-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_SUGGESTS tapewren)
set(CPACK_COMPONENT_CLI_DESCRIPTION
    "tape backup for SCSI tape drives, command line
Tapewren backs up files to SCSI tape drives, restores them and verifies
them, keeping a catalog file per tape. It reaches real drives through the
Linux SCSI generic driver, drives on the network over iSCSI, and has a
virtual drive that keeps tapes as image files.
.
This package holds tapewren-cli, which runs every job from a shell, a
script or cron, and tapewren-probe, which shows the drives found.")

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME tapewren)
# Found by name at run time, not through the binary: the toolkit's display
# plug-ins and the dialogs' font.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core, fonts-dejavu-extra")
set(CPACK_DEBIAN_WINDOW_PACKAGE_SUGGESTS tapewren-cli)
set(CPACK_COMPONENT_WINDOW_DESCRIPTION
    "tape backup for SCSI tape drives, desktop program
Tapewren backs up files to SCSI tape drives, restores them and verifies
them, keeping a catalog file per tape. It reaches real drives through the
Linux SCSI generic driver, drives on the network over iSCSI, and has a
virtual drive that keeps tapes as image files.
.
This package holds the desktop program.")

include(CPack)
