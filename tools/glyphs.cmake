# The overlay font: gen_glyphs draws the 37 glyph pictures kept in src/data/glyphs.
# `cmake --build <dir> --target glyph_files` redraws them after a change to the generator;
# the glyphs test proves that the generator reproduces the files kept there.
add_executable(gen_glyphs ${CMAKE_CURRENT_LIST_DIR}/gen_glyphs.cpp)
target_link_libraries(gen_glyphs PRIVATE PNG::PNG)
set_target_properties(gen_glyphs PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZELVARO_TOOLS_DIR})
add_dependencies(zelvaro_tools gen_glyphs)

add_custom_target(glyph_files
  COMMAND gen_glyphs ${CMAKE_SOURCE_DIR}/src/data/glyphs
  COMMENT "Drawing the glyph pictures into src/data/glyphs" VERBATIM)
