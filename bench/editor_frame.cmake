# editor_frame_bench: whole editor frames built offscreen with a busy analysis
# feed, against an empty-control frame of the same size.
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
add_executable(editor_frame_bench
  ${CMAKE_CURRENT_LIST_DIR}/editor_frame_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor_frame_feed.cpp)
layer_expose(editor_frame_bench bench PRIVATE)
target_link_libraries(editor_frame_bench PRIVATE varnock_editor_harness benchmark::benchmark OpenGL::OpenGL)
