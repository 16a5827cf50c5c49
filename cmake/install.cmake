# What `cmake --install` puts under the prefix and what `cpack -G DEB` packs: the game and its
# tools, the bundled data the game copies into the player's folder on its first start
# (platform/entry/user_data.h finds it as PREFIX/share/vantrel), the desktop entry, the icon
# at the theme's sizes and the manual page. Linux build only.
include(GNUInstallDirs)

set(VANTREL_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrel)
set(VANTREL_ICON_SIZES 16 32 48 64 128 256)

install(TARGETS vantrel vantrel-replay vantrel-check vantrel-export RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Only what the game reads: a log or editor backup left in data/ by a local run stays out,
# and so do the pictures exported into data/export/.
install(DIRECTORY data/ DESTINATION ${VANTREL_DATA_DESTINATION}
  FILES_MATCHING PATTERN "*.dat" PATTERN "*.png" PATTERN "*.jpg" PATTERN "export" EXCLUDE)
install(FILES packaging/vantrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${VANTREL_ICON_SIZES})
  install(FILES resources/icons/vantrel-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME vantrel.png)
endforeach()
configure_file(packaging/vantrel.6 ${PROJECT_BINARY_DIR}/vantrel.6 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vantrel.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The Debian package: its dependencies are read off the programs by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small 2D platform game around one jointed figure")
set(CPACK_PACKAGE_DESCRIPTION "Walk, jump, take the spear and push the crates. The running game also \
carries a part editor for tuning the figure, and comes with a headless runner, a data checker and an \
exporter of its animations as pictures.")
set(VANTREL_MAINTAINER "Vantrel developers <vantrel@example.org>" CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${VANTREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VANTREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL opens the OpenGL driver at run time, so no library names it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
