# The server's own Debian package, glimmer-scores_<version>_<arch>.deb, so that
# a player's install of the game never brings a server. Its files are the
# install component "server", left out of the game's install and package:
#   <P>/bin/glimmer-scores                           the server
#   /lib/systemd/system/glimmer-scores.service       the service
#   <P>/share/man/man8/glimmer-scores.8.gz           the manual page
#   <P>/share/doc/glimmer-scores/copyright, changelog.gz
# scripts/package.sh packs it with `cpack --config CPackServerConfig.cmake`.
install(TARGETS glimmer-scores RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/server/package/glimmer-scores.service
        DESTINATION /lib/systemd/system COMPONENT server EXCLUDE_FROM_ALL)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/install/glimmer-scores.8.gz
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/server/package/glimmer-scores.8 > ${CMAKE_BINARY_DIR}/install/glimmer-scores.8.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/server/package/glimmer-scores.8 VERBATIM)
add_custom_target(glimmer_scores_docs ALL DEPENDS ${CMAKE_BINARY_DIR}/install/glimmer-scores.8.gz)
install(FILES ${CMAKE_BINARY_DIR}/install/glimmer-scores.8.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man8
        COMPONENT server EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_BINARY_DIR}/install/copyright ${CMAKE_BINARY_DIR}/install/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/glimmer-scores COMPONENT server EXCLUDE_FROM_ALL)

# Its own CPack configuration, beside the game's CPackConfig.cmake.
set(GLIMMER_SERVER_PACKAGE_DESCRIPTION
  "The world boards' server keeps players' best times of every level and\nbelieves a time only when its replay plays to the level's exit on the\ngame's own code. It serves the boards over HTTP, on an embedded SQLite\nfile or a PostgreSQL database, and can also serve the browser build.")
configure_file(${CMAKE_CURRENT_LIST_DIR}/CPackServerConfig.cmake.in ${CMAKE_BINARY_DIR}/CPackServerConfig.cmake @ONLY)
