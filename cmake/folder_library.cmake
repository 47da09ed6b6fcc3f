# One static library per source folder, and a folder sees only the folders its library links.
#
# dtu_folder_library(TARGET FOLDER SOURCES... [HEADERS_AT_TOP headers...])
#   Builds TARGET from the sources of src/FOLDER. Headers are included from the source root
#   ("core/block/parameter_block.h"), but the root itself is never on an include path: each
#   library gets a view of its own folder only (a directory in the build tree holding a link to
#   src/FOLDER), published to whatever links it. A folder therefore finds the headers of exactly
#   the libraries it links, directly or through them, and an include of any other folder fails to
#   compile. HEADERS_AT_TOP puts single files of src/ (the top-level core headers) in the view
#   instead of a folder, for the library that owns them.
#
# Every library made here is listed in the global property DTU_FOLDER_LIBRARIES (the fuzz build
# instruments them all).
function(dtu_folder_library target folder)
  cmake_parse_arguments(ARG "" "" "SOURCES;HEADERS_AT_TOP" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  set(view ${CMAKE_BINARY_DIR}/include_views/${target})
  if(ARG_HEADERS_AT_TOP)
    foreach(header IN LISTS ARG_HEADERS_AT_TOP)
      dtu_view_link(${PROJECT_SOURCE_DIR}/src/${folder}/${header} ${view}/${folder}/${header})
    endforeach()
  else()
    dtu_view_link(${PROJECT_SOURCE_DIR}/src/${folder} ${view}/${folder})
  endif()
  target_include_directories(${target} PUBLIC ${view})
  set_property(GLOBAL APPEND PROPERTY DTU_FOLDER_LIBRARIES ${target})
endfunction()

function(dtu_view_link source link)
  get_filename_component(parent ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT IS_SYMLINK ${link})
    file(CREATE_LINK ${source} ${link} SYMBOLIC)
  endif()
endfunction()
