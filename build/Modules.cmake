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
  cadhost_add_resources(${target} ${CMAKE_SOURCE_DIR}/application/res/Quillmark.rc)
endfunction()

# Compiles a resource script into a module: cadhost_rc turns the script into a C++ source that
# embeds the resource image, rebuilt when the script, a header it includes or a file it names
# changes. Paths are relative to the calling folder.
#   cadhost_add_resources(<target> <script> [INCLUDE_DIRECTORIES dir...] [DEFINITIONS NAME[=value]...])
function(cadhost_add_resources target script)
  cmake_parse_arguments(ARG "" "" "INCLUDE_DIRECTORIES;DEFINITIONS" ${ARGN})
  get_filename_component(script_path ${script} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(script_name ${script} NAME_WE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_${script_name}_resources.cpp)
  set(options)
  foreach(dir IN LISTS ARG_INCLUDE_DIRECTORIES)
    get_filename_component(dir_path ${dir} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND options -I ${dir_path})
  endforeach()
  foreach(definition IN LISTS ARG_DEFINITIONS)
    list(APPEND options -D ${definition})
  endforeach()
  add_custom_command(
    OUTPUT ${output}
    COMMAND cadhost_rc ${options} -o ${output} --depfile ${output}.d ${script_path}
    DEPENDS cadhost_rc ${script_path}
    DEPFILE ${output}.d
    COMMENT "Compiling resources ${script} into ${target}"
    VERBATIM)
  # The target may be defined in another folder, where the rule above is not seen: a target of
  # this folder runs it, and the source is marked generated where the target is.
  add_custom_target(${target}_${script_name}_resources DEPENDS ${output})
  add_dependencies(${target} ${target}_${script_name}_resources)
  set_source_files_properties(${output} TARGET_DIRECTORY ${target} PROPERTIES GENERATED TRUE)
  target_sources(${target} PRIVATE ${output})
endfunction()
