# Installing the game: `cmake --install <build> --prefix <P>` puts
#   <P>/libexec/glimmer/glimmer                    the program
#   <P>/share/glimmer/data/                        the generated game data
#   <P>/bin/glimmer                                the launcher players start
#   <P>/share/applications/glimmer.desktop         the desktop menu entry
#   <P>/share/icons/hicolor/NxN/apps/glimmer.png   the icon at each size
# The launcher runs the program from a per-user folder holding a link to the
# data, so the state file lands there and never in the install folder.
# `cmake --build <build> --target uninstall` removes what the last install
# listed in install_manifest.txt.
include(GNUInstallDirs)

set(GLIMMER_INSTALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/glimmer)
set(GLIMMER_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/glimmer)

if(TARGET glimmer)
  install(TARGETS glimmer RUNTIME DESTINATION ${GLIMMER_INSTALL_PROGRAM_DIR})
endif()
# The data folder (with data/icon/ from the icon tool) as the build made it.
install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${GLIMMER_INSTALL_DATA_DIR}/data)

# The launcher finds the program and data relative to its own folder, so the
# install can be moved or installed under any prefix.
function(glimmer_path_from_bin out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    # A stand-in root: only the relative path between the two folders matters.
    file(RELATIVE_PATH relative "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${dir}")
    set(${out} "\$here/${relative}" PARENT_SCOPE)
  endif()
endfunction()
glimmer_path_from_bin(GLIMMER_LAUNCH_PROGRAM_DIR ${GLIMMER_INSTALL_PROGRAM_DIR})
glimmer_path_from_bin(GLIMMER_LAUNCH_DATA_DIR ${GLIMMER_INSTALL_DATA_DIR}/data)
configure_file(${CMAKE_CURRENT_LIST_DIR}/glimmer-launcher.sh.in ${CMAKE_BINARY_DIR}/install/glimmer @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/install/glimmer DESTINATION ${CMAKE_INSTALL_BINDIR})

# The desktop entry names the launcher by its absolute installed path, known
# only at install time (the prefix may be given to cmake --install).
set(GLIMMER_DESKTOP_FILE ${CMAKE_BINARY_DIR}/install/glimmer.desktop)
install(CODE "
  set(GLIMMER_DESKTOP_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/glimmer.desktop.in\")
  set(GLIMMER_DESKTOP_FILE \"${GLIMMER_DESKTOP_FILE}\")
  set(GLIMMER_INSTALL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/DesktopEntry.cmake\")
")
install(FILES ${GLIMMER_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/icons/glimmer-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME glimmer.png)
endforeach()

# CMake has no uninstall step of its own.
configure_file(${CMAKE_CURRENT_LIST_DIR}/Uninstall.cmake.in ${CMAKE_BINARY_DIR}/install/Uninstall.cmake @ONLY)
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -P ${CMAKE_BINARY_DIR}/install/Uninstall.cmake
  COMMENT "Removing the files listed in ${CMAKE_BINARY_DIR}/install_manifest.txt")
