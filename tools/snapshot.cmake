# varnock-snapshot: renders the editor offscreen into a PNG, optionally with
# audio processed first and a script of timed input replayed, through the
# editor harness.
if(WIN32)
  return()
endif()
find_package(PkgConfig REQUIRED)
pkg_check_modules(SNAPSHOT_SNDFILE REQUIRED IMPORTED_TARGET sndfile)
add_executable(varnock-snapshot
  ${CMAKE_CURRENT_SOURCE_DIR}/snapshot.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/snapshot_script.cpp)
layer_expose(varnock-snapshot tools PRIVATE)
target_link_libraries(varnock-snapshot PRIVATE varnock_editor_harness PkgConfig::SNAPSHOT_SNDFILE)
