# Desktop integration and the Debian package: the desktop entry, the icon in
# the hicolor theme, the AppStream metainfo, the renderer's manual page, and
# CPack's DEB settings. The programs install themselves (app/desktop, app/cli).
if(NOT DIFFRASCOPE_BUILD_GUI)
  return()
endif()

include(GNUInstallDirs)

# The reverse-DNS name the entry, the icon and the metainfo share.
set(DIFFRASCOPE_APP_ID "org.diffrascope.Diffrascope")
set(_packaging "${PROJECT_SOURCE_DIR}/packaging")
set(_icons "${CMAKE_INSTALL_DATADIR}/icons/hicolor")

install(FILES "${_packaging}/${DIFFRASCOPE_APP_ID}.desktop"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${_packaging}/${DIFFRASCOPE_APP_ID}.metainfo.xml"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${PROJECT_SOURCE_DIR}/app/desktop/resources/MAINICON.png"
  DESTINATION "${_icons}/32x32/apps" RENAME "${DIFFRASCOPE_APP_ID}.png")
install(FILES "${_packaging}/icons/MAINICON-256.png"
  DESTINATION "${_icons}/256x256/apps" RENAME "${DIFFRASCOPE_APP_ID}.png")
install(FILES "${_packaging}/diffrascope-render.1"
  DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# The Debian package: scripts/package builds it.
set(DIFFRASCOPE_PACKAGE_MAINTAINER "Diffrascope developers <diffrascope@example.org>"
  CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME diffrascope)
set(CPACK_PACKAGE_VERSION "${DIFFRASCOPE_VERSION_TEXT}")
set(CPACK_PACKAGE_VENDOR "Diffrascope")
set(CPACK_PACKAGE_CONTACT "${DIFFRASCOPE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "star image of a telescope or camera")
set(CPACK_PACKAGE_DESCRIPTION
  "Diffrascope shows how an optical system with a circular, possibly obstructed
aperture images a point of light: its diffraction pattern, the star image.
Scroll bars set the spherical aberration and the focus error in waves, the
central obstruction in percent and the wavelength in nanometres.

The package also holds diffrascope-render, which writes the same star image
as a PNG or PGM picture from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # diffrascope_1.01_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt 6 (its Gui library carries the X11 platform plugin) comes from dpkg-shlibdeps;
# the fonts are the window's Japanese text font and its title font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-urw-base35")

include(CPack)
