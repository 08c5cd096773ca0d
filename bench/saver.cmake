# The real saver under its own X server, its swaps counted from outside by a preloaded probe,
# beside peer screen savers: frames per second, CPU per frame, time to the first frame and to
# the sky, memory, and the paced CPU use at 60 Hz. scripts/bench-saver runs it.
add_library(zelvaro_swap_probe MODULE ${CMAKE_CURRENT_SOURCE_DIR}/swap_probe.c)
target_link_libraries(zelvaro_swap_probe PRIVATE ${CMAKE_DL_LIBS})
set_target_properties(zelvaro_swap_probe PROPERTIES PREFIX "" OUTPUT_NAME swap_probe)

add_executable(saver_bench ${CMAKE_CURRENT_SOURCE_DIR}/saver_bench.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/process.cpp ${CMAKE_SOURCE_DIR}/tests/support/xvfb.cpp
  ${CMAKE_SOURCE_DIR}/tests/support/temp_folder.cpp)
target_include_directories(saver_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(saver_bench PRIVATE ZELVARO_BIN_DIR="${ZELVARO_BIN_DIR}"
  ZELVARO_SWAP_PROBE="$<TARGET_FILE:zelvaro_swap_probe>")
add_dependencies(saver_bench Zelvaro Zelvaro_engine zelvaro_swap_probe)
