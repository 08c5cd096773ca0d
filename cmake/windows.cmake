# The Windows saver: Zelvaro.scr, a program of the GUI subsystem that carries its version
# record, wxWidgets' resources with the manifest for version 6 of the common controls, and the
# program's icon; beside it Zelvaro.dll and Zelvaro_Sky.zip. Then the tests that run under Wine.
enable_language(RC)
set_target_properties(Zelvaro PROPERTIES WIN32_EXECUTABLE ON SUFFIX ".scr")
# The static libraries bring their symbols and debugging records along: a release leaves them
# out of the files a user copies.
foreach(target Zelvaro Zelvaro_engine)
  target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-s>)
endforeach()

set(ZELVARO_RESOURCE_DIR ${CMAKE_BINARY_DIR}/resources)
set(ZELVARO_ICON_FILE ${ZELVARO_RESOURCE_DIR}/zelvaro.ico)
add_custom_command(OUTPUT ${ZELVARO_ICON_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELVARO_RESOURCE_DIR}
  COMMAND zelvaro_make_icon ${ZELVARO_ICON_FILE}
  DEPENDS zelvaro_make_icon ${CMAKE_SOURCE_DIR}/src/data/icon.xpm VERBATIM)
add_custom_target(zelvaro_icon DEPENDS ${ZELVARO_ICON_FILE})

# The resources compile apart from the program's sources, whose definitions hold texts with
# spaces that windres would hand its preprocessor split.
set(ZELVARO_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/src/platform/program_win32.rc)
add_library(zelvaro_resources OBJECT ${ZELVARO_RESOURCE_SCRIPT})
set_source_files_properties(${ZELVARO_RESOURCE_SCRIPT} PROPERTIES OBJECT_DEPENDS ${ZELVARO_ICON_FILE})
target_include_directories(zelvaro_resources PRIVATE ${ZELVARO_RESOURCE_DIR} ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(zelvaro_resources PRIVATE
  ZELVARO_VERSION_NUMBERS=${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0
  ZELVARO_VERSION_DOTTED=${PROJECT_VERSION}.0)
add_dependencies(zelvaro_resources zelvaro_icon)
target_link_libraries(Zelvaro PRIVATE zelvaro_resources)

add_subdirectory(tests/windows)
