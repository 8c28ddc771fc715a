# What differs when the game is cross-built for Windows (scripts/windows.sh):
# the dependencies come from the prefix that script builds (found through
# pkg-config, see the toolchain file), the program is linked into one file
# beside OpenAL32.dll, and GoogleTest is built from source.

# windows.h without its min/max macros and rarely used parts.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)

# The C and C++ runtimes and the thread library are linked in, so the program
# needs no DLL but OpenAL32.dll, which the player may replace.
add_link_options(-static)

# Debian ships GoogleTest as source for any compiler.
set(GLIMMER_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources, built with the cross compiler")
if(GLIMMER_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GLIMMER_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# The icon tool runs on the build machine; its .ico becomes the program's
# icon (Explorer, the taskbar, and GLFW's default window icon).
set(GLIMMER_WINDOWS_ICON "" CACHE FILEPATH "glimmer.ico from the icon tool")

# ctest runs the cross-built test programs under Wine (tests/windows/wine_suites.sh
# gives it a fresh Wine prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

# Besides the game: the tools its tests need (its data and icon come from the
# tools of the build machine), and only the GoogleTest suites that run under
# Wine (tests/windows); they take the POSIX calls they use from a
# force-included header. No install rules: the zip and installer are made
# by scripts/windows.sh.
set(GLIMMER_TOOL_FOLDERS tools/cli tools/solver tools/replay)
set(GLIMMER_TEST_FOLDERS lib testhost runtime host services audio framework game windows)
if(GLIMMER_TESTS)
  set(GLIMMER_TOOL_COMPILE_OPTIONS "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${PROJECT_SOURCE_DIR}/tests/windows/posix_compat.h>")
endif()
set(GLIMMER_INSTALL_RULES OFF)
