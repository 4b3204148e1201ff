# vex_publish_headers(TARGET FOLDER): makes FOLDER's headers reachable as "FOLDER/File.h" for TARGET
# and for what links TARGET, and for nothing else. Each library gets an include root of its own
# that holds links to its headers only, so a header of a layer that a library does not link is
# not found: a wrong include fails to compile instead of surfacing as a link error.
function(vex_publish_headers target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${folder})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h)
  foreach(header IN LISTS headers)
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${folder}/${name} SYMBOLIC)
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
