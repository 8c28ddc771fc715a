# The Debian package: `cpack -G DEB` in the build folder (scripts/package.sh
# does it) makes glimmer_<version>_<arch>.deb from the install rules of
# cmake/Install.cmake with the prefix /usr.
# Only the game is packaged, so packing must not wait for the tests to build:
# scripts/package.sh builds the installed targets first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glimmer)
set(CPACK_PACKAGE_VENDOR "Hollyhop Games")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Glimmer developers <glimmer@snowglobe-studio.example>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${GLIMMER_HOMEPAGE})
# The libraries the program links come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Christmas platform game: light every tree and reach the star")
# CPack puts the summary on the first line and indents this text below it.
set(CPACK_PACKAGE_DESCRIPTION "Glimmer is a small Christmas platform game for one player. Pipkin the elf
moves tile by tile through fifteen snowy levels: he walks, climbs ladders,
hangs from grip bars, grabs grip handles and jumps three tiles at a time.

Every Christmas tree in a level must be switched on by walking up to it;
then the exit star opens and stepping onto it ends the level. Spikes,
launchers and flip blocks stand in the way; a death simply rebuilds the
level. The first three levels explain the controls while help is on, and a
Christmas ending follows the last one. Keyboard, gamepad and mouse all work.")
include(CPack)
