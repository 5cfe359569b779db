# Test modules for the host library (Linux: the Windows build runs the host
# library against Varnock's own bundle only): a small effect whose processor and
# controller are separate classes, laid out as a .vst3 bundle, and modules
# broken in one way each. The host_*_test programs get their paths.
if(WIN32)
  return()
endif()
set(HOST_FIXTURE_BUNDLE ${CMAKE_CURRENT_BINARY_DIR}/host_fixture.vst3)
add_library(host_fixture_plugin MODULE ${CMAKE_CURRENT_SOURCE_DIR}/host_fixtures/fixture_plugin.cpp)
target_link_libraries(host_fixture_plugin PRIVATE vst3sdk)
set_target_properties(host_fixture_plugin PROPERTIES
  OUTPUT_NAME host_fixture PREFIX ""
  LIBRARY_OUTPUT_DIRECTORY ${HOST_FIXTURE_BUNDLE}/Contents/x86_64-linux
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_link_options(host_fixture_plugin PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined)

set(HOST_FIXTURE_TARGETS host_fixture_plugin)
set(HOST_FIXTURE_DEFINITIONS HOST_FIXTURE_BUNDLE="${HOST_FIXTURE_BUNDLE}")
foreach(kind NO_FACTORY NO_ENTRY ENTRY_FAILS NULL_FACTORY)
  string(TOLOWER ${kind} lower)
  set(target host_fixture_${lower})
  add_library(${target} MODULE ${CMAKE_CURRENT_SOURCE_DIR}/host_fixtures/broken_module.cpp)
  target_include_directories(${target} SYSTEM PRIVATE ${VST3_SDK_DIR})
  target_compile_definitions(${target} PRIVATE FIXTURE_${kind})
  set_target_properties(${target} PROPERTIES PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/host_fixtures
    CXX_VISIBILITY_PRESET hidden)
  list(APPEND HOST_FIXTURE_TARGETS ${target})
  list(APPEND HOST_FIXTURE_DEFINITIONS HOST_FIXTURE_${kind}="$<TARGET_FILE:${target}>")
endforeach()

file(GLOB HOST_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/host_*_test.cpp)
foreach(source ${HOST_TEST_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  if(NOT TARGET ${name})
    continue()
  endif()
  target_compile_definitions(${name} PRIVATE ${HOST_FIXTURE_DEFINITIONS})
  add_dependencies(${name} ${HOST_FIXTURE_TARGETS})
endforeach()
