# Cross toolchain for the 32-bit Windows side: i686 mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LMVR_MINGW_PREFIX i686-w64-mingw32)
set(LMVR_MINGW_PACKAGES "g++-mingw-w64-i686 and binutils-mingw-w64-i686")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
