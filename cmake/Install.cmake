# Installing the game: `cmake --install <build> --prefix <P>` lays it out as
# a game of the system (the Debian package, cmake/Package.cmake, uses /usr):
#   <P>/games/glimmer                               the launcher players start
#   <P>/lib/games/glimmer/glimmer                   the program
#   <P>/share/games/glimmer/data/                   the generated game data
#   <P>/share/applications/<id>.desktop             the desktop menu entry
#   <P>/share/icons/hicolor/NxN/apps/glimmer.png    the icon at each size
#   <P>/share/metainfo/<id>.metainfo.xml            the software centre's description
#   <P>/share/man/man6/glimmer.6.gz                 the manual page
#   <P>/share/doc/glimmer/copyright, changelog.gz   the licence and the release history
# The launcher runs the program from a per-user folder holding a link to the
# data, so the state file lands there and never in the install folder.
# `cmake --build <build> --target uninstall` removes what the last install
# listed in install_manifest.txt.
include(GNUInstallDirs)

set(GLIMMER_INSTALL_LAUNCHER_DIR games CACHE PATH "Folder of the launcher players start")
set(GLIMMER_INSTALL_PROGRAM_DIR lib/games/glimmer CACHE PATH "Folder of the program")
set(GLIMMER_INSTALL_DATA_DIR share/games/glimmer CACHE PATH "Folder holding the game's data/")
set(GLIMMER_INSTALL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/glimmer)
# Reverse-DNS from the studio's address in the credits; names the desktop
# entry and the AppStream file alike, as software centres expect.
set(GLIMMER_APP_ID example.snowglobe_studio.glimmer)
set(GLIMMER_HOMEPAGE https://snowglobe-studio.example/glimmer/)

if(TARGET glimmer)
  install(TARGETS glimmer RUNTIME DESTINATION ${GLIMMER_INSTALL_PROGRAM_DIR})
endif()
# The data folder (with data/icon/ from the icon tool) as the build made it.
install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${GLIMMER_INSTALL_DATA_DIR}/data)

# The launcher finds the program and data relative to its own folder, so the
# install can be moved or installed under any prefix.
function(glimmer_path_from_launcher out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    # A stand-in root: only the relative path between the two folders matters.
    file(RELATIVE_PATH relative "/prefix/${GLIMMER_INSTALL_LAUNCHER_DIR}" "/prefix/${dir}")
    set(${out} "\$here/${relative}" PARENT_SCOPE)
  endif()
endfunction()
glimmer_path_from_launcher(GLIMMER_LAUNCH_PROGRAM_DIR ${GLIMMER_INSTALL_PROGRAM_DIR})
glimmer_path_from_launcher(GLIMMER_LAUNCH_DATA_DIR ${GLIMMER_INSTALL_DATA_DIR}/data)
configure_file(${CMAKE_CURRENT_LIST_DIR}/glimmer-launcher.sh.in ${CMAKE_BINARY_DIR}/install/glimmer @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/install/glimmer DESTINATION ${GLIMMER_INSTALL_LAUNCHER_DIR})

# The desktop entry names the launcher by its absolute installed path, known
# only at install time (the prefix may be given to cmake --install).
set(GLIMMER_DESKTOP_FILE ${CMAKE_BINARY_DIR}/install/${GLIMMER_APP_ID}.desktop)
install(CODE "
  set(GLIMMER_DESKTOP_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/glimmer.desktop.in\")
  set(GLIMMER_DESKTOP_FILE \"${GLIMMER_DESKTOP_FILE}\")
  set(GLIMMER_INSTALL_LAUNCHER_DIR \"${GLIMMER_INSTALL_LAUNCHER_DIR}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/DesktopEntry.cmake\")
")
install(FILES ${GLIMMER_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/icons/glimmer-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME glimmer.png)
endforeach()

# The release history's newest entry gives the version, which must be the
# project's, and the release date the AppStream file shows.
set(changelog ${CMAKE_CURRENT_LIST_DIR}/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog} ${PROJECT_SOURCE_DIR}/LICENSE)
file(STRINGS ${changelog} newest LIMIT_COUNT 1)
file(STRINGS ${changelog} signed REGEX "^ -- " LIMIT_COUNT 1)
if(NOT newest MATCHES "^glimmer \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "${changelog} begins with '${newest}', not with version ${PROJECT_VERSION}")
endif()
if(NOT signed MATCHES ", ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "no date in the newest entry of ${changelog}: '${signed}'")
endif()
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_2} month)
math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
string(LENGTH "${month}" digits)
if(digits EQUAL 1)
  set(month 0${month})
endif()
set(GLIMMER_RELEASE_DATE ${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1})
configure_file(${CMAKE_CURRENT_LIST_DIR}/glimmer.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/install/${GLIMMER_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/${GLIMMER_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The copyright file in the machine-readable form, made from LICENSE: its
# first line names the holders, the rest is the licence text.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "^Copyright \\(c\\) ([^\n]+)\n\n")
  message(FATAL_ERROR "LICENSE does not begin with a line 'Copyright (c) <holders>' and an empty line")
endif()
set(holders "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^[^\n]+\n\n" "" licence "${licence}")
string(REGEX REPLACE "\n+$" "" licence "${licence}")
# Continuation lines start with a space; an empty line is written " .".
string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence " ${licence}")
file(WRITE ${CMAKE_BINARY_DIR}/install/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: Glimmer\n\nFiles: *\nCopyright: ${holders}\nLicense: Zlib\n${licence}\n")

# Manual page (with the description from README.md) and release history,
# compressed without a time stamp so that every build makes the same files.
configure_file(${PROJECT_SOURCE_DIR}/docs/glimmer.6.in ${CMAKE_BINARY_DIR}/install/glimmer.6 @ONLY)
set(GLIMMER_COMPRESSED_DOCS ${CMAKE_BINARY_DIR}/install/glimmer.6.gz ${CMAKE_BINARY_DIR}/install/changelog.gz)
foreach(source ${CMAKE_BINARY_DIR}/install/glimmer.6 ${changelog})
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/install/${name}.gz
    COMMAND gzip -9nc ${source} > ${CMAKE_BINARY_DIR}/install/${name}.gz
    DEPENDS ${source} VERBATIM)
endforeach()
add_custom_target(glimmer_docs ALL DEPENDS ${GLIMMER_COMPRESSED_DOCS})
install(FILES ${CMAKE_BINARY_DIR}/install/glimmer.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_BINARY_DIR}/install/copyright ${CMAKE_BINARY_DIR}/install/changelog.gz
        DESTINATION ${GLIMMER_INSTALL_DOC_DIR})

# The server's own package, when the server is built.
if(TARGET glimmer-scores)
  include(${CMAKE_CURRENT_LIST_DIR}/ServerPackage.cmake)
endif()

# CMake has no uninstall step of its own.
configure_file(${CMAKE_CURRENT_LIST_DIR}/Uninstall.cmake.in ${CMAKE_BINARY_DIR}/install/Uninstall.cmake @ONLY)
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -P ${CMAKE_BINARY_DIR}/install/Uninstall.cmake
  COMMENT "Removing the files listed in ${CMAKE_BINARY_DIR}/install_manifest.txt")
