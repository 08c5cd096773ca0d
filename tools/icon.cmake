# The program's icon for Windows: make_icon writes the picture of src/data/icon.xpm as a
# 32 x 32, 16-colour icon file, which the Windows build puts into Zelvaro.scr.
add_executable(zelvaro_make_icon ${CMAKE_CURRENT_LIST_DIR}/make_icon.cpp)
target_include_directories(zelvaro_make_icon PRIVATE ${CMAKE_SOURCE_DIR}/src)
set_target_properties(zelvaro_make_icon PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZELVARO_TOOLS_DIR})
add_dependencies(zelvaro_tools zelvaro_make_icon)
