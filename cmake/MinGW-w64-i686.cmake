# The 32-bit Windows build: the same toolchain for i686-w64-mingw32.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VG_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW-w64.cmake)
