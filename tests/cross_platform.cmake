# Checks across platforms. render_jobs (tests/programs/render_jobs.cpp) renders the same jobs through
# the bundle on every platform and prints a hash of each output. Built for
# Windows, the test CrossPlatform.RenderJobsAreBitIdentical runs it under Wine
# and the Linux build's render_jobs natively (VARNOCK_LINUX_BUILD_DIR) and
# requires the same lines from both.
add_executable(render_jobs ${CMAKE_CURRENT_SOURCE_DIR}/programs/render_jobs.cpp)
target_link_libraries(render_jobs PRIVATE vst3host)
target_compile_definitions(render_jobs PRIVATE VARNOCK_BUNDLE_PATH="${VARNOCK_TEST_BUNDLE_PATH}")
add_dependencies(render_jobs VarnockModule)

if(WIN32)
  set(VARNOCK_LINUX_BUILD_DIR "" CACHE PATH "Linux build folder to compare the Windows renders with")
  if(VARNOCK_LINUX_BUILD_DIR)
    add_test(NAME CrossPlatform.RenderJobsAreBitIdentical
             COMMAND ${CMAKE_COMMAND} -DWINDOWS_PROGRAM=$<TARGET_FILE:render_jobs>
                     -DLINUX_PROGRAM=${VARNOCK_LINUX_BUILD_DIR}/tests/render_jobs
                     -DWINE_RUN=${PROJECT_SOURCE_DIR}/cmake/wine-run -DWINE_PREFIX=${PROJECT_BINARY_DIR}/wineprefix
                     -P ${CMAKE_CURRENT_SOURCE_DIR}/programs/compare_render_jobs.cmake)
    set_tests_properties(CrossPlatform.RenderJobsAreBitIdentical PROPERTIES TIMEOUT 600)
  endif()
endif()

if(WIN32)
  find_program(VARNOCK_OBJDUMP NAMES ${VARNOCK_MINGW_PREFIX}-objdump x86_64-w64-mingw32-objdump REQUIRED)
  add_test(NAME WindowsModule.ImportsOnlySystemDllsAndExportsTheEntryPoints
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${VARNOCK_OBJDUMP} -DMODULE=$<TARGET_FILE:VarnockModule>
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/programs/check_windows_module.cmake)
endif()
