# The game's description and its maker's name, read from the one place they
# are written: the "about" block at the top of README.md. The package
# (cmake/Package.cmake), the AppStream file, the manual page, the Windows
# program's version information, the Windows readme and the installer take
# them from here:
#   GLIMMER_SUMMARY           one line ("Christmas platform game: ...")
#   GLIMMER_MAKER             the maker's name
#   GLIMMER_DESCRIPTION       the paragraphs, separated by empty lines
#   GLIMMER_DESCRIPTION_XML   the same as AppStream <p> elements
#   GLIMMER_DESCRIPTION_ROFF  the same as manual page paragraphs
# and ${CMAKE_BINARY_DIR}/about/{summary,maker,description}.txt for scripts.
file(READ ${PROJECT_SOURCE_DIR}/README.md glimmer_readme)
if(NOT glimmer_readme MATCHES "<!-- about[^\n]*-->\n\\*\\*([^*\n]+)\\*\\*\n\n(.*)\n\nGlimmer is made by ([^.\n]+)\\.\n<!-- end of about -->")
  message(FATAL_ERROR "README.md has no about block (summary in bold, paragraphs, \"Glimmer is made by ...\")")
endif()
set(GLIMMER_SUMMARY "${CMAKE_MATCH_1}")
set(GLIMMER_DESCRIPTION "${CMAKE_MATCH_2}")
set(GLIMMER_MAKER "${CMAKE_MATCH_3}")

string(REPLACE "\n\n" "\n</p>\n<p>\n" xml "<p>\n${GLIMMER_DESCRIPTION}\n</p>")
string(REPLACE "\n" "\n    " GLIMMER_DESCRIPTION_XML "${xml}")
string(REPLACE "\n\n" "\n.PP\n" GLIMMER_DESCRIPTION_ROFF "${GLIMMER_DESCRIPTION}")

foreach(part summary maker description)
  string(TOUPPER ${part} name)
  file(WRITE ${CMAKE_BINARY_DIR}/about/${part}.txt "${GLIMMER_${name}}\n")
endforeach()
