# varnock-snapshot: renders the editor offscreen into a PNG, optionally with
# audio processed first and a script of timed input replayed. It shares the
# in-process hosting and offscreen machinery of the editor tests.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SNAPSHOT_SNDFILE REQUIRED IMPORTED_TARGET sndfile)
add_executable(varnock-snapshot
  ${CMAKE_CURRENT_SOURCE_DIR}/snapshot.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/snapshot_script.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/editor_harness.cpp)
target_include_directories(varnock-snapshot PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(varnock-snapshot PRIVATE varnock vst3host PkgConfig::SNAPSHOT_SNDFILE)
