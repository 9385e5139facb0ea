# The payload resource (type 512, id 301): the product folder packed by lmvrpack.
# Sets LMVR_PAYLOAD_FILE and LMVR_PAYLOAD_TARGET for resources/CMakeLists.txt.
#
#   LMVR_PACK_TOOL     the lmvrpack that packs it (the win32 preset names the host
#                      build's; build that first: cmake --workflow --preset host)
#   LMVR_PRODUCT_DIR   a product folder to pack instead of the sample product
#   LMVR_PRODUCT_MAIN  its main program, relative to the folder
include(${CMAKE_SOURCE_DIR}/tools/lmvrpack/lmvrpack.cmake)

set(LMVR_PRODUCT_DIR "" CACHE PATH "Product folder to pack into install.exe (empty: the sample product of examples/)")
set(LMVR_PRODUCT_MAIN "LUMIVORA.EXE" CACHE STRING "The product's main program, relative to its folder")

# payload.rc names the file "payload.bin" and finds it on its include path.
set(LMVR_PAYLOAD_FILE ${CMAKE_CURRENT_BINARY_DIR}/payload.bin)
if(LMVR_PRODUCT_DIR)
  lmvr_pack(OUTPUT ${LMVR_PAYLOAD_FILE} PRODUCT ${LMVR_PRODUCT_DIR} MAIN ${LMVR_PRODUCT_MAIN}
    COMMENT "Packing the product ${LMVR_PRODUCT_DIR}")
else()
  # examples/ assembles the sample product there; its targets are defined later in
  # the tree, which the dependencies allow.
  lmvr_pack(OUTPUT ${LMVR_PAYLOAD_FILE} PRODUCT ${CMAKE_BINARY_DIR}/examples/product MAIN ${LMVR_PRODUCT_MAIN}
    DEPENDS lumivora_sample lmvr_sample_product
    COMMENT "Packing the sample product")
endif()
add_custom_target(lmvr_payload DEPENDS ${LMVR_PAYLOAD_FILE})
set(LMVR_PAYLOAD_TARGET lmvr_payload)
