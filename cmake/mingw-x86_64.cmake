# Cross toolchain for the 64-bit twin of the Windows side: x86_64 mingw-w64. The twin
# builds the same sources as a PE32+ image so that the Windows-side tests run under
# 64-bit Wine on hosts whose kernel runs no 32-bit code. It is a test vehicle only:
# nothing of it is shipped.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LMVR_MINGW_PREFIX x86_64-w64-mingw32)
set(LMVR_MINGW_PACKAGES "g++-mingw-w64-x86-64 and binutils-mingw-w64-x86-64")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
