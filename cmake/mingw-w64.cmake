# Cross-building ironvale-win32.exe on Linux with MinGW-w64 (posix threads).
# The third-party libraries (ogg, vorbis, png, OpenAL Soft) are cross-built
# statically by scripts/build-windows.sh into IRONVALE_WIN_DEPS.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

if(NOT IRONVALE_WIN_DEPS)
  set(IRONVALE_WIN_DEPS "$ENV{IRONVALE_WIN_DEPS}")
endif()
set(IRONVALE_WIN_DEPS "${IRONVALE_WIN_DEPS}" CACHE PATH "Prefix of the cross-built libraries")
# try_compile reads this file again in the same process: hand it the prefix, or
# its pass would point pkg-config at /lib/pkgconfig for the rest of the configure.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES IRONVALE_WIN_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${IRONVALE_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static libraries only: the program is one .exe without MinGW DLLs beside it
# (".a" alone would still take zlib's import library libz.dll.a).
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(ZLIB_USE_STATIC_LIBS ON)
if(IRONVALE_WIN_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} "${IRONVALE_WIN_DEPS}/lib/pkgconfig")
endif()
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_EXECUTABLE pkg-config CACHE FILEPATH "")
