# Layers the build enforces. Every library exposes exactly its own folder:
# layer_expose(target folder) makes <build>/layers/<folder>/<folder> a link
# to the source folder and adds <build>/layers/<folder> to the target's public
# include path. An `#include "plugin/..."` therefore compiles only in targets
# that link the plug-in library (directly or through a library above it); no
# target has the repository root on its include path.
#
# Who may use whom (each library links only what is below it):
#   dsp/        the engine                       -> nothing
#   framework/  the generic plug-in framework    -> VST3 SDK, OpenGL, platform libraries
#   plugin/     class Varnock, parameters        -> dsp, framework
#   editor/     VarnockView and the analyser     -> plugin, framework
#   host/       our VST3 host library            -> VST3 SDK
#   tools/      programs; tools/harness          -> anything above
#   tests/, bench/                               -> anything
# A program uses its own folder with layer_expose(target folder PRIVATE).
function(layer_expose target folder)
  set(scope PUBLIC)
  if(ARGC GREATER 2)
    set(scope ${ARGV2})
  endif()
  get_filename_component(name ${folder} NAME)
  set(layer ${PROJECT_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${layer})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${layer}/${name} SYMBOLIC)
  target_include_directories(${target} ${scope} ${layer})
endfunction()

# layer_test(target OWN header FORBIDDEN header...): a test that
# compiles, with the target's include path, an include of one of its own
# headers (which must compile) and of each forbidden header (which must fail
# because the header is not found), so no layer can start using a library
# above it by accident.
function(layer_test target)
  if(NOT VARNOCK_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "OWN" "FORBIDDEN")
  set(includes "$<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>")
  set(definitions "$<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>")
  add_test(NAME Layering.${target}
           COMMAND ${CMAKE_COMMAND} -DCXX=${CMAKE_CXX_COMPILER} "-DINCLUDES=${includes}"
                   "-DDEFINITIONS=${definitions}" -DOWN=${arg_OWN}
                   "-DFORBIDDEN=${arg_FORBIDDEN}" -DWORK=${PROJECT_BINARY_DIR}/layer-probes/${target}
                   -P ${PROJECT_SOURCE_DIR}/cmake/layer_probe.cmake)
endfunction()
