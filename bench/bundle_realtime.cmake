# bundle_realtime: the bundle's real-time factor through the host library,
# built on every platform (scripts/bench-windows compares Windows under Wine
# with Linux).
add_executable(bundle_realtime ${CMAKE_CURRENT_LIST_DIR}/bundle_realtime.cpp)
target_link_libraries(bundle_realtime PRIVATE vst3host)
if(WIN32 AND CMAKE_CROSSCOMPILING)
  target_compile_definitions(bundle_realtime PRIVATE VARNOCK_BUNDLE_PATH="Z:${VARNOCK_BUNDLE_DIR}")
else()
  target_compile_definitions(bundle_realtime PRIVATE VARNOCK_BUNDLE_PATH="${VARNOCK_BUNDLE_DIR}")
endif()
add_dependencies(bundle_realtime VarnockModule)
