# varnock-render: processes audio files, or a built-in demo signal, through
# the built Varnock.vst3 bundle with the host library; output in <build>/tools.
# It links the plug-in library only for the factory preset table; audio files
# go through varnock_audio.
file(GLOB VARNOCK_RENDER_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/render*.cpp)
if(WIN32)
  list(APPEND VARNOCK_RENDER_SOURCES ${CMAKE_CURRENT_LIST_DIR}/platform/windows/command_line.cpp)
else()
  list(APPEND VARNOCK_RENDER_SOURCES ${CMAKE_CURRENT_LIST_DIR}/platform/linux/command_line.cpp)
endif()
add_executable(varnock-render ${VARNOCK_RENDER_SOURCES})
layer_expose(varnock-render tools PRIVATE)
target_link_libraries(varnock-render PRIVATE varnock_plugin vst3host varnock_audio)
# Wine sees the Linux file system as drive Z:.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  target_compile_definitions(varnock-render PRIVATE VARNOCK_BUNDLE_DIR="Z:${VARNOCK_BUNDLE_DIR}")
else()
  target_compile_definitions(varnock-render PRIVATE VARNOCK_BUNDLE_DIR="${VARNOCK_BUNDLE_DIR}")
endif()
set_target_properties(varnock-render PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tools)
if(TARGET VarnockModule)
  add_dependencies(varnock-render VarnockModule)
endif()
