# The shape table generator. src/data/shapes.bin is its output, kept in the tree; the
# shape table test proves that the generator still reproduces it byte for byte.
# Rebuild the file with: cmake --build <build> --target regenerate_shapes
add_executable(gen_shapes ${CMAKE_CURRENT_LIST_DIR}/gen_shapes.cpp)
set_target_properties(gen_shapes PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZELVARO_TOOLS_DIR})
add_dependencies(zelvaro_tools gen_shapes)
add_custom_target(regenerate_shapes
  COMMAND gen_shapes ${CMAKE_SOURCE_DIR}/src/data/shapes.bin
  DEPENDS gen_shapes VERBATIM)
