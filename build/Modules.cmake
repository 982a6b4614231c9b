# Shared recipe for the object enabler and the application module of one host release.
file(GLOB TAMSELDBX_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/TamselDbx/*.cpp)
file(GLOB_RECURSE APPLICATION_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/application/*.cpp)

function(cadhost_add_object_enabler target)
  cmake_parse_arguments(ARG "" "" "DEFINITIONS" ${ARGN})
  add_library(${target} SHARED ${TAMSELDBX_SOURCES})
  set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ".dbx")
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/TamselDbx)
  target_compile_definitions(${target} PUBLIC ${ARG_DEFINITIONS} PRIVATE TAMSELDBX_BUILDING)
  target_link_libraries(${target} PUBLIC cadhost)
endfunction()

# The application's sources are compiled once per release into an object library (CORE) that
# the module is linked from and that the application's tests link too.
function(cadhost_add_application target enabler)
  cmake_parse_arguments(ARG "" "CORE" "DEFINITIONS" ${ARGN})
  add_library(${ARG_CORE} OBJECT ${APPLICATION_SOURCES})
  target_include_directories(${ARG_CORE} PUBLIC ${CMAKE_SOURCE_DIR}/application)
  target_compile_definitions(${ARG_CORE} PUBLIC ${ARG_DEFINITIONS})
  target_link_libraries(${ARG_CORE} PUBLIC ${enabler} cadhost)
  add_library(${target} SHARED)
  set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ".arx")
  target_link_libraries(${target} PRIVATE ${ARG_CORE})
endfunction()
