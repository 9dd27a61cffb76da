# What "cmake --install" puts where, in two components that become the two
# Debian packages: "cli" (tapewren-cli, tapewren-probe: no Qt) and "window"
# (tapewren and its desktop files).
include(GNUInstallDirs)

set(TW_DOC_CLI ${CMAKE_INSTALL_DATAROOTDIR}/doc/tapewren-cli)
set(TW_DOC_WINDOW ${CMAKE_INSTALL_DATAROOTDIR}/doc/tapewren)
set(TW_MAN_DIR ${PROJECT_BINARY_DIR}/man)

# Man pages made from each program's --help and --version, so that a new
# option shows up without an edit here. Sanitizer builds skip them: they are
# never installed and their programs may report leaks at exit.
find_program(TW_HELP2MAN help2man)
if(TW_HELP2MAN AND NOT TW_SANITIZE)
  set(tw_man_default ON)
else()
  set(tw_man_default OFF)
endif()
option(TW_MAN_PAGES "Make the man pages with help2man" ${tw_man_default})
if(TW_MAN_PAGES AND NOT TW_HELP2MAN)
  message(FATAL_ERROR "TW_MAN_PAGES needs help2man (apt-get install help2man)")
endif()

# tw_man_page(TARGET COMPONENT "what it is"): TARGET.1.gz, installed.
function(tw_man_page target component description)
  if(NOT TW_MAN_PAGES OR NOT TARGET ${target})
    return()
  endif()
  set(page ${TW_MAN_DIR}/${target}.1)
  set(extra ${PROJECT_SOURCE_DIR}/data/man/${target}.h2m)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TW_MAN_DIR}
    COMMAND ${TW_HELP2MAN} --no-info --section=1 --name=${description} --include=${extra}
            --output=${page} $<TARGET_FILE:${target}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${target} ${extra}
    COMMENT "Man page ${target}(1)"
    VERBATIM)
  add_custom_target(${target}-man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()

# The command line: works without a display and without Qt.
install(TARGETS tapewren-cli tapewren-probe RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
tw_man_page(tapewren-cli cli "back up files to a SCSI tape drive, restore and verify them")
tw_man_page(tapewren-probe cli "show the tape drives Tapewren finds")
install(FILES ${PROJECT_SOURCE_DIR}/data/tapewren-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME tapewren-cli COMPONENT cli)
install(FILES ${PROJECT_SOURCE_DIR}/contrib/tapewren-backup.crontab ${PROJECT_SOURCE_DIR}/contrib/tapewren-backup.service
              ${PROJECT_SOURCE_DIR}/contrib/tapewren-backup.timer
        DESTINATION ${TW_DOC_CLI}/examples COMPONENT cli)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${TW_DOC_CLI} COMPONENT cli)

# The window.
if(TARGET tapewren)
  install(TARGETS tapewren RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
  tw_man_page(tapewren window "back up files to a SCSI tape drive, restore and verify them, in a window")
  install(FILES ${PROJECT_SOURCE_DIR}/data/org.tapewren.Tapewren.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT window)
  install(FILES ${PROJECT_SOURCE_DIR}/data/org.tapewren.Tapewren.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo COMPONENT window)
  install(FILES ${PROJECT_SOURCE_DIR}/data/tapewren.svg
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps COMPONENT window)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${TW_DOC_WINDOW} COMPONENT window)
endif()
