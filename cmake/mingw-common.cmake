# The part of the two mingw-w64 toolchain files that they share: the posix thread model
# (GoogleTest needs std::mutex, which the win32 thread model lacks) of the compiler
# named by LMVR_MINGW_PREFIX, and its own root for libraries and headers.
set(CMAKE_SYSTEM_NAME Windows)

find_program(LMVR_MINGW_CXX ${LMVR_MINGW_PREFIX}-g++-posix)
find_program(LMVR_MINGW_CC ${LMVR_MINGW_PREFIX}-gcc-posix)
find_program(LMVR_MINGW_RC ${LMVR_MINGW_PREFIX}-windres)
if(NOT LMVR_MINGW_CXX OR NOT LMVR_MINGW_CC OR NOT LMVR_MINGW_RC)
  message(FATAL_ERROR
    "The ${LMVR_MINGW_PREFIX} mingw-w64 cross compiler was not found. Install the Debian packages "
    "${LMVR_MINGW_PACKAGES} (scripts/install-deps does it).")
endif()
set(CMAKE_C_COMPILER ${LMVR_MINGW_CC})
set(CMAKE_CXX_COMPILER ${LMVR_MINGW_CXX})
set(CMAKE_RC_COMPILER ${LMVR_MINGW_RC})

set(CMAKE_FIND_ROOT_PATH /usr/${LMVR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
