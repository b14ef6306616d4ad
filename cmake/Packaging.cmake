# Installing Vellograph on a Linux desktop, and building its Debian package with CPack.
include(GNUInstallDirs)

# A system-wide install carries its own desktop entry, MIME type and icons, so
# it needs no association step; the packages that own those folders refresh
# their databases through their triggers.
set(VELLOGRAPH_DATA ${PROJECT_SOURCE_DIR}/data)
install(FILES ${VELLOGRAPH_DATA}/vellograph.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VELLOGRAPH_DATA}/vellograph-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME vellograph.xml)
install(FILES ${VELLOGRAPH_DATA}/vellograph.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VELLOGRAPH_DATA}/application-x-vellograph3.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)

set(CPACK_PACKAGE_NAME vellograph)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vellograph developers <vellograph@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Freehand drawing pad that records and replays its strokes")
set(CPACK_PACKAGE_DESCRIPTION
  "Vellograph records every stroke drawn with the mouse and plays the drawing back as it grew, rotated, scaled and shifted. It steps back and forth through the strokes, saves .vlgf drawings and bitmap screenshots, and includes vellograph-cli to inspect, convert and render drawings without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# Built against this Qt; older ones lack symbols it may use. The xcb platform
# plugin comes with libqt6gui6 on Debian.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6core6 (>= ${Qt6_VERSION}), libqt6gui6 (>= ${Qt6_VERSION}), libqt6widgets6 (>= ${Qt6_VERSION})")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
find_program(VELLOGRAPH_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VELLOGRAPH_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
