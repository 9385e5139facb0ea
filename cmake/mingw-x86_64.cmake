# Cross toolchain for the 64-bit twin of the Windows side: x86_64 mingw-w64, posix
# thread model (GoogleTest needs std::mutex). The twin builds the same sources as a
# PE32+ image so that the Windows-side tests run under 64-bit Wine on hosts whose
# kernel runs no 32-bit code. It is a test vehicle only: nothing of it is shipped.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LMVR_MINGW_PREFIX x86_64-w64-mingw32)
find_program(LMVR_MINGW_CXX ${LMVR_MINGW_PREFIX}-g++-posix)
find_program(LMVR_MINGW_CC ${LMVR_MINGW_PREFIX}-gcc-posix)
find_program(LMVR_MINGW_RC ${LMVR_MINGW_PREFIX}-windres)
if(NOT LMVR_MINGW_CXX OR NOT LMVR_MINGW_CC OR NOT LMVR_MINGW_RC)
  message(FATAL_ERROR
    "The x86_64 mingw-w64 cross compiler was not found. Install the Debian packages "
    "g++-mingw-w64-x86-64 and binutils-mingw-w64-x86-64 (scripts/install-deps does it).")
endif()
set(CMAKE_C_COMPILER ${LMVR_MINGW_CC})
set(CMAKE_CXX_COMPILER ${LMVR_MINGW_CXX})
set(CMAKE_RC_COMPILER ${LMVR_MINGW_RC})

set(CMAKE_FIND_ROOT_PATH /usr/${LMVR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
