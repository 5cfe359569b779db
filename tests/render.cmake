# The render_*_test programs run the built varnock-render tool on files they
# write with the tool's own audio file library (tools/audio). The
# audio_*_test programs test that library; audio_sndfile_test checks it
# against libsndfile, an independent implementation, and is the only test
# that needs libsndfile (Linux only).
file(GLOB RENDER_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/render_*_test.cpp)
foreach(source ${RENDER_TEST_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  if(NOT TARGET ${name})
    continue()
  endif()
  target_link_libraries(${name} PRIVATE varnock_audio)
  target_compile_definitions(${name} PRIVATE VARNOCK_RENDER_PATH="$<$<BOOL:${WIN32}>:Z:>$<TARGET_FILE:varnock-render>")
  add_dependencies(${name} varnock-render)
endforeach()

file(GLOB AUDIO_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/audio_*_test.cpp)
foreach(source ${AUDIO_TEST_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  if(NOT TARGET ${name})
    continue()
  endif()
  target_link_libraries(${name} PRIVATE varnock_audio)
endforeach()

if(TARGET audio_sndfile_test)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(AUDIO_TEST_SNDFILE REQUIRED IMPORTED_TARGET sndfile)
  target_link_libraries(audio_sndfile_test PRIVATE PkgConfig::AUDIO_TEST_SNDFILE)
endif()
