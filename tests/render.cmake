# The render_*_test programs run the built varnock-render tool on files they
# generate with libsndfile.
if(NOT TARGET varnock-render)
  return()
endif()
find_package(PkgConfig REQUIRED)
pkg_check_modules(RENDER_TEST_SNDFILE REQUIRED IMPORTED_TARGET sndfile)
file(GLOB RENDER_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/render_*_test.cpp)
foreach(source ${RENDER_TEST_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  target_link_libraries(${name} PRIVATE PkgConfig::RENDER_TEST_SNDFILE)
  target_compile_definitions(${name} PRIVATE VARNOCK_RENDER_PATH="$<TARGET_FILE:varnock-render>")
  add_dependencies(${name} varnock-render)
endforeach()
