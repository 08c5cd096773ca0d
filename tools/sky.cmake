# The sky archive: gen_sky draws space2.png, pack_sky puts it into Zelvaro_Sky.zip beside
# the program, so that every build of the program has its sky.
# A cross build runs the native build's two (cmake/host_tools.cmake).
if(NOT CMAKE_CROSSCOMPILING)
  add_executable(zelvaro_gen_sky ${CMAKE_CURRENT_LIST_DIR}/gen_sky.cpp)
  target_link_libraries(zelvaro_gen_sky PRIVATE PNG::PNG ZLIB::ZLIB)
  add_executable(zelvaro_pack_sky ${CMAKE_CURRENT_LIST_DIR}/pack_sky.cpp)
  target_link_libraries(zelvaro_pack_sky PRIVATE PkgConfig::LIBZIP)
  set_target_properties(zelvaro_gen_sky zelvaro_pack_sky PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZELVARO_TOOLS_DIR})
  add_dependencies(zelvaro_tools zelvaro_gen_sky zelvaro_pack_sky)
endif()

set(ZELVARO_SKY_PICTURE ${CMAKE_BINARY_DIR}/sky/space2.png)
set(ZELVARO_SKY_ARCHIVE ${ZELVARO_BIN_DIR}/Zelvaro_Sky.zip)
add_custom_command(OUTPUT ${ZELVARO_SKY_PICTURE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/sky
  COMMAND zelvaro_gen_sky ${ZELVARO_SKY_PICTURE}
  DEPENDS zelvaro_gen_sky VERBATIM)
add_custom_command(OUTPUT ${ZELVARO_SKY_ARCHIVE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELVARO_BIN_DIR}
  COMMAND zelvaro_pack_sky ${ZELVARO_SKY_ARCHIVE} ${ZELVARO_SKY_PICTURE}
  DEPENDS zelvaro_pack_sky ${ZELVARO_SKY_PICTURE} VERBATIM)
add_custom_target(zelvaro_sky ALL DEPENDS ${ZELVARO_SKY_ARCHIVE})
add_dependencies(Zelvaro zelvaro_sky)
