# Desktop integration and the Debian packages: the desktop entry, the icon in
# the hicolor theme, the AppStream metainfo, the manual pages, the copyright
# file, and CPack's DEB settings. The programs install themselves (app/desktop,
# app/cli), and so does the Python module (python/, component "python"). The metainfo and the manual pages carry DIFFRASCOPE_VERSION_TEXT.
if(NOT DIFFRASCOPE_BUILD_GUI)
  return()
endif()

include(GNUInstallDirs)

# The reverse-DNS name the entry, the icon and the metainfo share; Diffrascope Lab's beside it.
set(DIFFRASCOPE_APP_ID "org.diffrascope.Diffrascope")
set(DIFFRASCOPE_LAB_APP_ID "org.diffrascope.DiffrascopeLab")
set(DIFFRASCOPE_PACKAGE_MAINTAINER "Diffrascope developers <diffrascope@example.org>"
  CACHE STRING "Maintainer field of the Debian package")
set(_packaging "${PROJECT_SOURCE_DIR}/packaging")
set(_generated "${PROJECT_BINARY_DIR}/packaging")
set(_icons "${CMAKE_INSTALL_DATADIR}/icons/hicolor")

foreach(id ${DIFFRASCOPE_APP_ID} ${DIFFRASCOPE_LAB_APP_ID})
  install(FILES "${_packaging}/${id}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  configure_file("${_packaging}/${id}.metainfo.xml" "${_generated}/${id}.metainfo.xml" @ONLY)
  install(FILES "${_generated}/${id}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/app/desktop/resources/MAINICON.png"
  DESTINATION "${_icons}/32x32/apps" RENAME "${DIFFRASCOPE_APP_ID}.png")
install(FILES "${_packaging}/icons/MAINICON-256.png"
  DESTINATION "${_icons}/256x256/apps" RENAME "${DIFFRASCOPE_APP_ID}.png")
install(FILES "${PROJECT_SOURCE_DIR}/app/lab/resources/LABICON.png"
  DESTINATION "${_icons}/32x32/apps" RENAME "${DIFFRASCOPE_LAB_APP_ID}.png")
install(FILES "${_packaging}/icons/LABICON-256.png"
  DESTINATION "${_icons}/256x256/apps" RENAME "${DIFFRASCOPE_LAB_APP_ID}.png")

# Manual pages, compressed the way Debian ships them: gzip at its best, with
# neither the file's name nor its time in the header.
find_program(DIFFRASCOPE_GZIP gzip REQUIRED)
set(_manuals "")
foreach(page Diffrascope.1 diffrascope-render.1 diffrascope-lab.1)
  configure_file("${_packaging}/${page}" "${_generated}/${page}" @ONLY)
  add_custom_command(OUTPUT "${_generated}/${page}.gz"
    COMMAND "${DIFFRASCOPE_GZIP}" -9 -n -k -f "${_generated}/${page}"
    DEPENDS "${_generated}/${page}"
    COMMENT "Compressing the manual page ${page}"
    VERBATIM)
  list(APPEND _manuals "${_generated}/${page}.gz")
endforeach()
add_custom_target(diffrascope_manuals ALL DEPENDS ${_manuals})
install(FILES ${_manuals} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# The copyright file in Debian's machine-readable form, made from LICENSE: its
# holder, and its terms as the "Expat" licence (Debian's name for this MIT
# text), each line indented, an empty line written " .".
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" _license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${_license}")
set(DIFFRASCOPE_COPYRIGHT "${CMAKE_MATCH_1}")
string(FIND "${_license}" "Permission is hereby granted" _terms_start)
string(SUBSTRING "${_license}" ${_terms_start} -1 _terms)
string(STRIP "${_terms}" _terms)
string(REPLACE "\n\n" "\n.\n" _terms "${_terms}")
string(REPLACE "\n" "\n " _terms "${_terms}")
set(DIFFRASCOPE_LICENSE_TERMS " ${_terms}")
configure_file("${_packaging}/copyright.in" "${_generated}/copyright" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/LICENSE")
install(FILES "${_generated}/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/diffrascope")
if(TARGET diffrascope_python)
  install(FILES "${_generated}/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/python3-diffrascope"
    COMPONENT python)
endif()

# The Debian packages: scripts/package builds them. diffrascope holds the
# programs (everything installed without a component), python3-diffrascope
# the Python module.

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

The package also holds diffrascope-render, which writes the same star image,
star-test sheets and their numbers as pictures, FITS files or JSON from the
command line, and Diffrascope Lab (diffrascope-lab), the star tester's window:
the images inside, at and outside focus, live, with the focus image's
numbers, encircled-energy curve and MTF.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # diffrascope_1.01_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt 6 (its Gui library carries the X11 platform plugin) comes from dpkg-shlibdeps;
# the fonts are the window's Japanese text font and its title font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-urw-base35")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME diffrascope)
set(CPACK_DEBIAN_UNSPECIFIED_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}") # after the summary, as each package's
if(TARGET diffrascope_python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-diffrascope)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  # the interpreter's version, numpy and the labels' font (python/CMakeLists.txt)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${DIFFRASCOPE_PYTHON_PACKAGE_DEPENDS}")
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION "The Python module diffrascope computes diffrascope-render's star images,
star tests and through-focus sheets as numpy arrays, with the renderer's
options as keywords, its pictures, its FITS header keywords and its numbers
(Strehl ratio, FWHM, encircled energy).")
endif()

include(CPack)
