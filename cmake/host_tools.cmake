# A cross build cannot run what it builds: the generators of the data files that the build
# needs come from a native build of the same tree (scripts/build-windows makes them in build/).
set(ZELVARO_HOST_BUILD_DIR "${CMAKE_SOURCE_DIR}/build" CACHE PATH
  "A native build of this tree whose data generators the cross build runs")
foreach(tool zelvaro_embed tools/zelvaro_gen_sky tools/zelvaro_pack_sky tools/zelvaro_make_icon)
  get_filename_component(name ${tool} NAME)
  set(location ${ZELVARO_HOST_BUILD_DIR}/${tool})
  if(NOT EXISTS ${location})
    message(FATAL_ERROR "${location} is missing: build the native tools first "
      "(cmake --build ${ZELVARO_HOST_BUILD_DIR} --target ${name}), or name another native build "
      "with -DZELVARO_HOST_BUILD_DIR=...")
  endif()
  add_executable(${name} IMPORTED)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${location})
endforeach()
