# Cross toolchain for the 32-bit Windows side: i686 mingw-w64, posix thread model
# (GoogleTest needs std::mutex, which the win32 thread model lacks).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(LMVR_MINGW_PREFIX i686-w64-mingw32)
find_program(LMVR_MINGW_CXX ${LMVR_MINGW_PREFIX}-g++-posix)
find_program(LMVR_MINGW_CC ${LMVR_MINGW_PREFIX}-gcc-posix)
find_program(LMVR_MINGW_RC ${LMVR_MINGW_PREFIX}-windres)
if(NOT LMVR_MINGW_CXX OR NOT LMVR_MINGW_CC OR NOT LMVR_MINGW_RC)
  message(FATAL_ERROR
    "The i686 mingw-w64 cross compiler was not found. Install the Debian packages "
    "g++-mingw-w64-i686 and binutils-mingw-w64-i686 (scripts/install-deps does it).")
endif()
set(CMAKE_C_COMPILER ${LMVR_MINGW_CC})
set(CMAKE_CXX_COMPILER ${LMVR_MINGW_CXX})
set(CMAKE_RC_COMPILER ${LMVR_MINGW_RC})

set(CMAKE_FIND_ROOT_PATH /usr/${LMVR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
