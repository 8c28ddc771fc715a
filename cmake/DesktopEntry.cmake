# Run by the install step: writes the desktop entry with the launcher's
# absolute installed path in its Exec key.
# In: GLIMMER_DESKTOP_TEMPLATE, GLIMMER_DESKTOP_FILE, GLIMMER_INSTALL_LAUNCHER_DIR,
#     CMAKE_INSTALL_PREFIX (as given to cmake --install).
if(IS_ABSOLUTE "${GLIMMER_INSTALL_LAUNCHER_DIR}")
  set(launcher "${GLIMMER_INSTALL_LAUNCHER_DIR}/glimmer")
else()
  set(launcher "${CMAKE_INSTALL_PREFIX}/${GLIMMER_INSTALL_LAUNCHER_DIR}/glimmer")
endif()

# A quoted Exec argument escapes " ` $ \ with a backslash, and the file's own
# string rules double every backslash again; % starts a field code, so %%.
string(REPLACE "\\" "\\\\\\\\" quoted "${launcher}")
foreach(special "\"" "`" "$")
  string(REPLACE "${special}" "\\\\${special}" quoted "${quoted}")
endforeach()
string(REPLACE "%" "%%" quoted "${quoted}")
set(GLIMMER_DESKTOP_EXEC "\"${quoted}\"")
configure_file("${GLIMMER_DESKTOP_TEMPLATE}" "${GLIMMER_DESKTOP_FILE}" @ONLY)
