# install.exe: the stub (install-stub.exe, the linked installer without a payload)
# with the product folder packed into it as resource 512/301 by `lmvrpack build`,
# the same step a vendor runs with the kit. Defines the target `installer`.
#
#   LMVR_PACK_TOOL     the lmvrpack that builds it (the win32 preset names the host
#                      build's; build that first: cmake --workflow --preset host)
#   LMVR_PRODUCT_DIR   a product folder to pack instead of the sample product
#   LMVR_PRODUCT_MAIN  its main program, relative to the folder
#   LMVR_LANGUAGES     the languages packed besides English (CMakeLists.txt finds
#                      their files in languages/)
include(${CMAKE_SOURCE_DIR}/tools/lmvrpack/lmvrpack.cmake)

set(LMVR_PRODUCT_DIR "" CACHE PATH "Product folder to pack into install.exe (empty: the sample product of examples/)")
set(LMVR_PRODUCT_MAIN "LUMIVORA.EXE" CACHE STRING "The product's main program, relative to its folder")

set(LMVR_STUB_FILE ${CMAKE_BINARY_DIR}/install-stub.exe)
set(LMVR_INSTALLER_FILE ${CMAKE_BINARY_DIR}/install.exe)
if(LMVR_PRODUCT_DIR)
  lmvr_pack(OUTPUT ${LMVR_INSTALLER_FILE} PRODUCT ${LMVR_PRODUCT_DIR} MAIN ${LMVR_PRODUCT_MAIN}
    STUB ${LMVR_STUB_FILE} LANGUAGES ${LMVR_LANGUAGE_FILES} DEPENDS installer_stub
    COMMENT "Building install.exe for the product ${LMVR_PRODUCT_DIR}")
else()
  # examples/ assembles the sample product there; its targets are defined later in
  # the tree, which the dependencies allow.
  lmvr_pack(OUTPUT ${LMVR_INSTALLER_FILE} PRODUCT ${CMAKE_BINARY_DIR}/examples/product MAIN ${LMVR_PRODUCT_MAIN}
    STUB ${LMVR_STUB_FILE} LANGUAGES ${LMVR_LANGUAGE_FILES} DEPENDS installer_stub lumivora_sample lmvr_sample_product
    COMMENT "Building install.exe for the sample product")
endif()
# The same product in the installer that the end-to-end tests can cut short.
set(LMVR_HALTING_INSTALLER_FILE ${CMAKE_BINARY_DIR}/install-halting.exe)
lmvr_pack(OUTPUT ${LMVR_HALTING_INSTALLER_FILE} PRODUCT ${CMAKE_BINARY_DIR}/examples/product MAIN LUMIVORA.EXE
  STUB ${CMAKE_BINARY_DIR}/install-halting-stub.exe LANGUAGES ${LMVR_LANGUAGE_FILES} DEPENDS installer_halting_stub lumivora_sample lmvr_sample_product
  COMMENT "Building install-halting.exe for the sample product")
add_custom_target(installer ALL DEPENDS ${LMVR_INSTALLER_FILE} ${LMVR_HALTING_INSTALLER_FILE})
