# Installing Vellograph on a Linux desktop (the Debian package in debian/ installs the same).
include(GNUInstallDirs)

# A system-wide install carries its own desktop entry, MIME type and icons, so
# it needs no association step; the packages that own those folders refresh
# their databases through their triggers.
set(VELLOGRAPH_DATA ${PROJECT_SOURCE_DIR}/data)
install(FILES ${VELLOGRAPH_DATA}/vellograph.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${VELLOGRAPH_APP_ID}.desktop)
# Earlier installs named the entry vellograph.desktop; left beside the new
# one, it would show the program twice in the menus.
install(CODE "file(REMOVE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications/vellograph.desktop\")")
install(FILES ${VELLOGRAPH_DATA}/vellograph.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME ${VELLOGRAPH_APP_ID}.metainfo.xml)
install(FILES ${VELLOGRAPH_DATA}/vellograph-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME vellograph.xml)
install(FILES ${VELLOGRAPH_DATA}/vellograph.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VELLOGRAPH_DATA}/application-x-vellograph3.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)

# Manual pages, compressed as distributions ship them (no name or time in
# the gzip header, so that builds are reproducible).
set(VELLOGRAPH_MAN_PAGES)
foreach(page vellograph.1 vellograph-cli.1)
  set(compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E copy ${VELLOGRAPH_DATA}/man/${page} ${PROJECT_BINARY_DIR}/man/${page}
    COMMAND gzip -9nf ${PROJECT_BINARY_DIR}/man/${page}
    DEPENDS ${VELLOGRAPH_DATA}/man/${page}
    COMMENT "Compressing the manual page ${page}" VERBATIM)
  list(APPEND VELLOGRAPH_MAN_PAGES ${compressed})
endforeach()
add_custom_target(vellograph_man_pages ALL DEPENDS ${VELLOGRAPH_MAN_PAGES})
install(FILES ${VELLOGRAPH_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Bash completion, where bash-completion looks for it under the prefix: its
# completionsdir, taken relative to its data folder so that any prefix works.
set(VELLOGRAPH_COMPLETIONS_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  execute_process(
    COMMAND ${PKG_CONFIG_EXECUTABLE} --define-variable=datadir=/VELLOGRAPH_DATADIR
      --variable=completionsdir bash-completion
    OUTPUT_VARIABLE completions OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE found ERROR_QUIET)
  if(found EQUAL 0 AND completions MATCHES "^/VELLOGRAPH_DATADIR/(.+)$")
    set(VELLOGRAPH_COMPLETIONS_DIR ${CMAKE_INSTALL_DATADIR}/${CMAKE_MATCH_1})
  endif()
endif()
install(FILES ${VELLOGRAPH_DATA}/bash-completion/vellograph-cli
  DESTINATION ${VELLOGRAPH_COMPLETIONS_DIR})
