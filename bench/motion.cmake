# The dance, the camera and the scene's set-up against the real engine library (no screen),
# and RenderWorld under a private Xvfb, batched against the engine's one-draw-per-entity path.
# The engine is loaded by its bare name, found through the run path; the program's target
# brings the engine library and the sky archive into that folder.
foreach(bench motion_bench render_bench)
  add_executable(${bench} ${CMAKE_CURRENT_SOURCE_DIR}/${bench}.cpp)
  target_link_libraries(${bench} PRIVATE zelvaro_core benchmark::benchmark)
  set_target_properties(${bench} PROPERTIES BUILD_RPATH "${ZELVARO_BIN_DIR}"
    LINK_OPTIONS "-Wl,--enable-new-dtags")
  target_compile_definitions(${bench} PRIVATE ZELVARO_BIN_DIR="${ZELVARO_BIN_DIR}")
  add_dependencies(${bench} Zelvaro Zelvaro_engine)
endforeach()
target_sources(render_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/xvfb.cpp)
target_include_directories(render_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
