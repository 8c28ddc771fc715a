# The Debian package: `cpack -G DEB` in the build folder (scripts/package.sh
# does it) makes glimmer_<version>_<arch>.deb from the install rules of
# cmake/Install.cmake with the prefix /usr.
# Only the game is packaged, so packing must not wait for the tests to build:
# scripts/package.sh builds the installed targets first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glimmer)
set(CPACK_PACKAGE_VENDOR "${GLIMMER_MAKER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${GLIMMER_MAKER} <glimmer@snowglobe-studio.example>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${GLIMMER_HOMEPAGE})
# The libraries the program links come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${GLIMMER_SUMMARY}")
# CPack puts the summary on the first line and indents this text below it.
set(CPACK_PACKAGE_DESCRIPTION "${GLIMMER_DESCRIPTION}")
include(CPack)
