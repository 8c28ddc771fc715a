# The platform map: which backend folder supplies each part of the platform
# (host/platform.h lists the supplies and the files that implement them) and
# the program built on them. No other build file names a backend's sources.
#
#   Build      window, loop, input, GL, entry   system: files, state file, URLs, sockets, faults
#   Linux      host/glfw                        host/posix
#   Windows    host/glfw                        host/win32
#   browser    host/web                         host/posix for files and the state file
#                                               (emscripten's file system); host/web for the rest
#   any        host/headless (library host_headless: no window, the caller's clock; tests and tools)
#
# HTTP (host/http_client.h): libcurl (host/posix) on Linux and WinHTTP
# (host/win32) on Windows, each run by the worker thread of
# host/http_worker.cpp; the page's fetch (host/web) in the browser.
if(EMSCRIPTEN)
  set(GLIMMER_WINDOW_BACKEND web)
  set(GLIMMER_SYSTEM_BACKEND posix)
elseif(WIN32)
  set(GLIMMER_WINDOW_BACKEND glfw)
  set(GLIMMER_SYSTEM_BACKEND win32)
else()
  set(GLIMMER_WINDOW_BACKEND glfw)
  set(GLIMMER_SYSTEM_BACKEND posix)
endif()
set(window_backend ${PROJECT_SOURCE_DIR}/host/${GLIMMER_WINDOW_BACKEND})
set(system_backend ${PROJECT_SOURCE_DIR}/host/${GLIMMER_SYSTEM_BACKEND})

# Files, the clock, the data folder and the state file's system calls.
target_sources(host PRIVATE ${system_backend}/system.cpp ${system_backend}/state_file_io.cpp)
# The host with its window, main loop and input; the renderer's GL pipeline.
target_sources(host PRIVATE ${window_backend}/game.cpp ${window_backend}/input.cpp ${window_backend}/gl_pipeline.cpp)
# The windowless host of the tests and tools.
add_library(host_headless STATIC ${PROJECT_SOURCE_DIR}/host/headless/game.cpp)
target_link_libraries(host_headless PUBLIC host)
# The program: its entry creates the backend's host.
add_executable(glimmer ${window_backend}/main.cpp)
target_link_libraries(glimmer PRIVATE framework_program game)

# Ogg Vorbis through the reference decoder (audio/vorbis_decode.cpp): the
# system's on the desktop, the one scripts/web.sh builds in the browser.
target_sources(audio PRIVATE ${PROJECT_SOURCE_DIR}/audio/vorbis_decode.cpp)

if(GLIMMER_WINDOW_BACKEND STREQUAL web)
  # A page has no signals, threads or sockets; URLs open in a tab. The page
  # itself is set up by cmake/Web.cmake.
  target_sources(host PRIVATE ${window_backend}/url_opener.cpp ${window_backend}/tool_process.cpp)
  target_sources(runtime PRIVATE ${window_backend}/fault_handlers.cpp)
  target_include_directories(audio PUBLIC ${GLIMMER_WEB_VORBIS}/include)
  target_link_libraries(audio PUBLIC ${GLIMMER_WEB_VORBIS}/lib/libvorbisfile.a ${GLIMMER_WEB_VORBIS}/lib/libvorbis.a
    ${GLIMMER_WEB_VORBIS}/lib/libogg.a)
  target_sources(host PRIVATE ${window_backend}/http_client.cpp)
  target_link_options(host PUBLIC -sFETCH=1)
  add_library(services STATIC ${PROJECT_SOURCE_DIR}/services/thread_none.cpp)
  target_link_libraries(services PUBLIC runtime)
  return()
endif()

target_sources(host PRIVATE ${system_backend}/url_opener.cpp ${system_backend}/tool_process.cpp)
target_sources(host PRIVATE ${PROJECT_SOURCE_DIR}/host/http_worker.cpp ${system_backend}/http_exchange.cpp)
find_package(Threads REQUIRED)
target_link_libraries(host PUBLIC Threads::Threads)
if(GLIMMER_SYSTEM_BACKEND STREQUAL posix)
  pkg_check_modules(LIBCURL REQUIRED IMPORTED_TARGET libcurl)
  target_link_libraries(host PUBLIC PkgConfig::LIBCURL)
endif()
target_sources(runtime PRIVATE ${system_backend}/fault_handlers.cpp)
target_sources(services PRIVATE ${system_backend}/sockets.cpp)
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
target_link_libraries(audio PUBLIC PkgConfig::VORBISFILE)
target_link_libraries(host PUBLIC PkgConfig::GLFW3 OpenGL::GL)
# The game runs from the build folder, beside the data folder the content tool writes.
set_target_properties(glimmer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(GLIMMER_SYSTEM_BACKEND STREQUAL win32)
  target_link_libraries(host PUBLIC shell32 winhttp)
  target_link_libraries(services PUBLIC ws2_32)
  # A window program: Explorer opens no console for it; redirected standard
  # output still receives the status lines.
  set_target_properties(glimmer PROPERTIES WIN32_EXECUTABLE TRUE)
  if(GLIMMER_WINDOWS_ICON)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/glimmer.rc.in ${CMAKE_BINARY_DIR}/glimmer.rc @ONLY)
    target_sources(glimmer PRIVATE ${CMAKE_BINARY_DIR}/glimmer.rc)
  endif()
endif()
