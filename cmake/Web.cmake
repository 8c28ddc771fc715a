# The browser build, configured with emcmake: the game alone, on the browser
# backend (host/web, picked by host/platform.cmake). The tools and tests are
# desktop programs and are not built here; the game data comes from the
# desktop build's content tool (scripts/web.sh builds it first). Sockets and
# threads are left out: the game uses neither.
#
#   GLIMMER_WEB_DATA    the data folder to package (the desktop build's data/)
#   GLIMMER_WEB_SITE    where index.html, glimmer.js, glimmer.wasm, glimmer.data
#                       and the picture packages go
#   GLIMMER_WEB_VORBIS  the prefix holding libogg and libvorbis built for the browser
set(GLIMMER_WEB_DATA "" CACHE PATH "Game data folder to package")
set(GLIMMER_WEB_SITE "${CMAKE_BINARY_DIR}/site" CACHE PATH "Folder of the page")
set(GLIMMER_WEB_VORBIS "" CACHE PATH "libogg and libvorbis built with emscripten")
if(NOT IS_DIRECTORY "${GLIMMER_WEB_DATA}")
  message(FATAL_ERROR "GLIMMER_WEB_DATA must name the game's data folder (build it with the desktop build)")
endif()
if(NOT EXISTS "${GLIMMER_WEB_VORBIS}/lib/libvorbisfile.a")
  message(FATAL_ERROR "GLIMMER_WEB_VORBIS must name the prefix of libvorbis built for the browser (scripts/web.sh builds it)")
endif()

# The browser's GL and OpenAL come with emscripten; targets of the desktop's
# names stand for them, so the folders' build files are the same for both.
# stb is its headers alone: the rest of the desktop's include folder must
# not shadow the browser's own GL, AL and C library headers.
set(GLIMMER_STB_SHIM ${CMAKE_BINARY_DIR}/stb-include)
file(MAKE_DIRECTORY ${GLIMMER_STB_SHIM})
file(CREATE_LINK /usr/include/stb ${GLIMMER_STB_SHIM}/stb SYMBOLIC)
add_library(PkgConfig::STB INTERFACE IMPORTED)
set_target_properties(PkgConfig::STB PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${GLIMMER_STB_SHIM})
add_library(PkgConfig::OPENAL INTERFACE IMPORTED)
set_target_properties(PkgConfig::OPENAL PROPERTIES INTERFACE_LINK_OPTIONS -lopenal)

foreach(dir runtime host graphics audio input framework game/music game)
  add_subdirectory(${dir})
endforeach()
include(host/platform.cmake)

# The game data, split for a light first load (cmake/web_data.py): what
# every start needs goes into the program's glimmer.data, each resolution
# level's pictures into a package of their own that the page fetches when
# the canvas needs it.
set(GLIMMER_WEB_STAGE ${CMAKE_BINARY_DIR}/web-data)
set(data_depends ${PROJECT_SOURCE_DIR}/cmake/web_data.py)
if(EXISTS ${GLIMMER_WEB_DATA}/../glimmer_data.stamp)
  list(APPEND data_depends ${GLIMMER_WEB_DATA}/../glimmer_data.stamp)
endif()
add_custom_command(OUTPUT ${GLIMMER_WEB_STAGE}/staged.stamp
  COMMAND python3 ${PROJECT_SOURCE_DIR}/cmake/web_data.py ${GLIMMER_WEB_DATA} ${GLIMMER_WEB_STAGE} ${GLIMMER_WEB_SITE}
  COMMAND ${CMAKE_COMMAND} -E touch ${GLIMMER_WEB_STAGE}/staged.stamp
  DEPENDS ${data_depends}
  VERBATIM)
add_custom_target(glimmer_web_data DEPENDS ${GLIMMER_WEB_STAGE}/staged.stamp)

# The page: the program, its start-up script and its HTML.
set(GLIMMER_WEB_FILES ${PROJECT_SOURCE_DIR}/host/web)
add_dependencies(glimmer glimmer_web_data)
set_target_properties(glimmer PROPERTIES
  SUFFIX ".html"
  RUNTIME_OUTPUT_DIRECTORY ${GLIMMER_WEB_SITE}
  LINK_DEPENDS "${GLIMMER_WEB_FILES}/pre.js;${GLIMMER_WEB_FILES}/replays.js;${GLIMMER_WEB_FILES}/shell.html")
target_link_options(glimmer PRIVATE
  -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH=1
  -sINITIAL_MEMORY=64MB
  -sEXIT_RUNTIME=1
  -lidbfs.js
  -sMINIFY_HTML=0
  "SHELL:--pre-js ${GLIMMER_WEB_FILES}/pre.js"
  "SHELL:--pre-js ${GLIMMER_WEB_FILES}/replays.js"
  "SHELL:--shell-file ${GLIMMER_WEB_FILES}/shell.html"
  "SHELL:--preload-file ${GLIMMER_WEB_STAGE}/core@/data")
# A new data folder content needs a new package.
set_property(TARGET glimmer APPEND PROPERTY LINK_DEPENDS ${GLIMMER_WEB_STAGE}/staged.stamp)
# The page is index.html; the favicon is the game's icon.
add_custom_command(TARGET glimmer POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E rename ${GLIMMER_WEB_SITE}/glimmer.html ${GLIMMER_WEB_SITE}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${GLIMMER_WEB_DATA}/icon/glimmer-32.png ${GLIMMER_WEB_SITE}/favicon.png
  VERBATIM)

# The benchmark's browser side (tools/bench/web): replays frames recorded by
# the desktop glimmer-bench. Built beside the page, not into it.
add_executable(glimmer-web-replay
  tools/bench/web/replay_main.cpp
  tools/bench/web/floor_renderer.cpp
  tools/bench/recorded_frames.cpp
  tools/bench/figures.cpp
)
target_link_libraries(glimmer-web-replay PRIVATE host_headless framework_program game)
set_target_properties(glimmer-web-replay PROPERTIES
  SUFFIX ".html"
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench
  LINK_DEPENDS ${PROJECT_SOURCE_DIR}/tools/bench/web/replay_pre.js)
target_link_options(glimmer-web-replay PRIVATE
  -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH=1
  -sINITIAL_MEMORY=64MB
  -sMINIFY_HTML=0
  "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/tools/bench/web/replay_pre.js"
  "SHELL:--preload-file ${GLIMMER_WEB_DATA}@/data")
