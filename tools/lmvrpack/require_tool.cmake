# Run at build time (cmake -DLMVR_PACK_TOOL=... -P require_tool.cmake) before every
# packing step, so that a missing tool stops the build with a message saying what to do.
if(NOT LMVR_PACK_TOOL OR NOT EXISTS "${LMVR_PACK_TOOL}")
  message(FATAL_ERROR
    "lmvrpack was not found at '${LMVR_PACK_TOOL}'. The win32 build packs the product "
    "with the host build's lmvrpack: build the host preset first "
    "(cmake --workflow --preset host), or set LMVR_PACK_TOOL to an lmvrpack program.")
endif()
