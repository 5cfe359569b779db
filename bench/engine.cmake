# engine_bench: the spectral engine's cost per second of audio in every mode
# and size, against a floor measured in the same run (an FFTW STFT of the same
# geometry), plus silence after music to show that denormals cost nothing.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFTW3 REQUIRED IMPORTED_TARGET fftw3)
add_executable(engine_bench
  ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cpp)
layer_expose(engine_bench bench PRIVATE)
# The parameter defaults come from the plug-in's parameter table (constant data).
target_link_libraries(engine_bench PRIVATE varnock_dsp varnock_plugin benchmark::benchmark PkgConfig::FFTW3)
