# The configuration window's banner: gen_banner paints it; src/data/banner.bmp is the kept copy,
# which a test compares with a fresh run. Rebuild the kept copy with the target banner_picture.
add_executable(gen_banner ${CMAKE_CURRENT_LIST_DIR}/gen_banner.cpp)
set_target_properties(gen_banner PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZELVARO_TOOLS_DIR})
add_dependencies(zelvaro_tools gen_banner)
add_custom_target(banner_picture
  COMMAND gen_banner ${CMAKE_SOURCE_DIR}/src/data/banner.bmp
  DEPENDS gen_banner VERBATIM)
