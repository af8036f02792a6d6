# The Debian package: `cpack -G DEB` in a Release build (the `package`
# preset) makes quarvex_<version>_amd64.deb from the install rules. Its
# library dependencies are read from the binaries by dpkg-shlibdeps.

set(CPACK_PACKAGE_NAME quarvex)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${QUARVEX_MAINTAINER}")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUARVEX_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the linked libraries: the two faces the game's texts are drawn with
# (Latin and Japanese), and libGL, which SDL and libepoxy open at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-ipafont-gothic, libgl1")
# The X11 message boxes draw their Japanese text with these fonts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xfonts-base")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "real-time military tactics on a battlefield seen from above
Four sides fight on one map with up to 500 units: helicopters, tanks,
anti-aircraft vehicles, artillery, infantry, aircraft and buildings. Pick a
stage and a side; the computer plays the three others. Give orders through
the map cursor and the order menu, build units at your factories, or drive
and fire a single unit yourself.
.
Up to four people play one game together, each on a machine of their own,
through the game server quarvex-server (with a systemd unit, not enabled).
.
The package also holds quarvex-stage, which compiles stages from text.")

include(CPack)
