# Installation and the Debian package: the program, its desktop entry, icons,
# AppStream metadata and manual page, in the places desktops look for them.
set(HARBROW_APP_ID org.kvane.Harbrow)
set(dist ${CMAKE_CURRENT_SOURCE_DIR}/dist)

install(TARGETS harbrow RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${dist}/${HARBROW_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist}/${HARBROW_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/res/icons/harbrow.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${HARBROW_APP_ID}.svg)
install(FILES ${dist}/harbrow-256.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
        RENAME ${HARBROW_APP_ID}.png)
install(FILES ${dist}/harbrow.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME harbrow)
set(CPACK_PACKAGE_VENDOR k-vane)
set(CPACK_PACKAGE_CONTACT "k-vane <harbrow@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Private web browser and bookmark manager in one window")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Harbrow)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tracker and ad lists are read where this package installs them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS webext-ublock-origin-chromium)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
