# Cross-compiles the Windows build (64-bit; 32-bit through MinGW-w64-i686.cmake)
# with Debian's MinGW-w64, posix thread variant (the win32 variant has no
# std::thread or std::mutex).
# Programs built for the tests run under Wine: scripts/wine-run.sh sets up
# the build's own Wine prefix and runs them there.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT VG_MINGW_TRIPLE)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
  set(VG_MINGW_TRIPLE x86_64-w64-mingw32)
endif()
set(CMAKE_C_COMPILER ${VG_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VG_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VG_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${VG_MINGW_TRIPLE}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${VG_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config looks at the target's libraries only.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${VG_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Every program and library carries its own runtime: setup.exe and
# UnzDll.dll need nothing beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_CROSSCOMPILING_EMULATOR
  ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wine-prefix)
