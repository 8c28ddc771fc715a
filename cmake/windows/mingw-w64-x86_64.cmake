# Cross-compiling for 64-bit Windows with Debian's mingw-w64 compilers. The
# POSIX-thread variants are used: std::thread and std::mutex need them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GLIMMER_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GLIMMER_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GLIMMER_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GLIMMER_MINGW_TRIPLE}-windres)

# Libraries and headers come from the compiler's own root and from the
# prefix of the cross-built dependencies (GLIMMER_WINDOWS_DEPS, when given);
# programs from the build machine.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES GLIMMER_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${GLIMMER_MINGW_TRIPLE} ${GLIMMER_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config looks only at the dependencies' prefix, and reports what their
# static libraries need as well.
if(GLIMMER_WINDOWS_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} ${GLIMMER_WINDOWS_DEPS}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(PKG_CONFIG_ARGN --static)
endif()
