# libFuzzer targets for state restore and parameter text-to-value, built only
# with VARNOCK_FUZZ=ON and clang (see scripts/reliability):
#   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
#         -DVARNOCK_SANITIZE=address -DVARNOCK_FUZZ=ON
#   cmake --build build-fuzz --target fuzz_state_restore fuzz_param_text
# The targets host Varnock's parameter set on the framework's VST3 layer
# (tests/fuzz/fuzz_host.h says why without the engine); the framework gets
# coverage instrumentation, the targets link libFuzzer's driver.
option(VARNOCK_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(VARNOCK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VARNOCK_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  foreach(library iplug vst3host)
    target_compile_options(${library} PRIVATE -fsanitize=fuzzer-no-link)
  endforeach()
  foreach(name state_restore param_text)
    add_executable(fuzz_${name} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${name}_fuzz.cpp
                                ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/fuzz_host.cpp
                                ${PROJECT_SOURCE_DIR}/plugin/params.cpp
                                ${PROJECT_SOURCE_DIR}/plugin/presets.cpp)
    layer_expose(fuzz_${name} plugin PRIVATE)
    layer_expose(fuzz_${name} tests PRIVATE)
    # The parameter table names engine fields: the engine's headers, not its code.
    target_include_directories(fuzz_${name} PRIVATE $<TARGET_PROPERTY:varnock_dsp,INTERFACE_INCLUDE_DIRECTORIES>)
    target_link_libraries(fuzz_${name} PRIVATE iplug vst3host)
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
endif()
