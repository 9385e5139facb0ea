# lmvr_pack(OUTPUT file PRODUCT folder MAIN path [STUB stub [LANGUAGES files...]]
#           [DEPENDS files...] [COMMENT text])
# A build step that packs a product folder with LMVR_PACK_TOOL (the host build's
# lmvrpack): into a payload file, or with STUB into an installer made from that stub
# (lmvrpack build), with the languages of the translators' files LANGUAGES. It is redone when the tool, the stub, a named dependency, or any
# file or directory of the folder changes (lmvrpack writes a dependency file naming
# all it read).
include_guard(GLOBAL)

set(LMVR_PACK_TOOL "" CACHE FILEPATH "lmvrpack program that packs payloads (the host build's)")

function(lmvr_pack)
  cmake_parse_arguments(PACK "" "OUTPUT;PRODUCT;MAIN;STUB;COMMENT" "DEPENDS;LANGUAGES" ${ARGN})
  set(command pack)
  if(PACK_STUB)
    set(command build)
    list(APPEND command --stub ${PACK_STUB})
    foreach(language IN LISTS PACK_LANGUAGES)
      list(APPEND command --language ${language})
    endforeach()
  endif()
  set(tool_dependency)
  # A tool missing now is left out of the dependencies (the build could not even
  # start); require_tool.cmake then stops the step with a message instead.
  if(LMVR_PACK_TOOL AND EXISTS "${LMVR_PACK_TOOL}")
    set(tool_dependency ${LMVR_PACK_TOOL})
  endif()
  if(NOT PACK_COMMENT)
    set(PACK_COMMENT "Packing ${PACK_PRODUCT} with lmvrpack")
  endif()
  add_custom_command(
    OUTPUT ${PACK_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DLMVR_PACK_TOOL=${LMVR_PACK_TOOL} -P ${CMAKE_SOURCE_DIR}/tools/lmvrpack/require_tool.cmake
    COMMAND ${LMVR_PACK_TOOL} ${command} ${PACK_PRODUCT} --main ${PACK_MAIN} -o ${PACK_OUTPUT} --depfile ${PACK_OUTPUT}.d
    DEPENDS ${tool_dependency} ${PACK_STUB} ${PACK_LANGUAGES} ${PACK_DEPENDS} ${CMAKE_SOURCE_DIR}/tools/lmvrpack/require_tool.cmake
    DEPFILE ${PACK_OUTPUT}.d
    COMMENT "${PACK_COMMENT}"
    VERBATIM)
endfunction()
