# The editor on Windows, run under Wine on a private X server. The Windows
# build makes windows_editor_host.exe (tests/windows_editor/editor_host.cpp),
# a host that opens the editor in the host library's window while an audio
# thread processes. The Linux build's wine_editor_test starts Xvfb, runs that
# program under Wine, drives it with real X input (XTest) and checks
# screenshots and parameter values.
#
# The test is registered when ctest runs, and only if the Windows build named
# by VARNOCK_WINDOWS_BUILD_DIR (by default build-win beside the sources) has
# the program, so building build-win before or after build/ both work.
if(WIN32)
  add_executable(windows_editor_host ${CMAKE_CURRENT_SOURCE_DIR}/windows_editor/editor_host.cpp)
  target_link_libraries(windows_editor_host PRIVATE vst3host)
  add_dependencies(windows_editor_host VarnockModule)
elseif(TARGET varnock_editor_harness)
  set(VARNOCK_WINDOWS_BUILD_DIR ${PROJECT_SOURCE_DIR}/build-win CACHE PATH
      "The Windows (mingw-w64) build whose editor wine_editor_test runs under Wine")
  set(windows_host ${VARNOCK_WINDOWS_BUILD_DIR}/tests/windows_editor_host.exe)
  add_executable(wine_editor_test ${CMAKE_CURRENT_SOURCE_DIR}/windows_editor/wine_editor_test.cpp)
  find_package(X11 REQUIRED COMPONENTS Xtst)
  target_link_libraries(wine_editor_test PRIVATE test_support GTest::gtest_main X11::X11 X11::Xtst)
  target_compile_definitions(wine_editor_test PRIVATE
    VARNOCK_WINDOWS_EDITOR_HOST="${windows_host}"
    VARNOCK_WINDOWS_BUNDLE="Z:${VARNOCK_WINDOWS_BUILD_DIR}/Varnock.vst3"
    VARNOCK_WINE_RUN="${PROJECT_SOURCE_DIR}/cmake/wine-run"
    VARNOCK_EDITOR_WINEPREFIX="${CMAKE_CURRENT_BINARY_DIR}/wineprefix-editor")
  # One CTest test for the whole suite: its cases share one Wine session, and
  # it runs alone since it owns its Wine prefix's server.
  set(registration ${CMAKE_CURRENT_BINARY_DIR}/wine_editor_test_registration.cmake)
  string(CONCAT registration_script
    "if(EXISTS \"${windows_host}\" AND EXISTS \"${VARNOCK_WINDOWS_BUILD_DIR}/Varnock.vst3\")\n"
    "  add_test(WindowsEditor.UnderWine \"$<TARGET_FILE:wine_editor_test>\")\n"
    "  set_tests_properties(WindowsEditor.UnderWine PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)\n"
    "endif()\n")
  file(GENERATE OUTPUT ${registration} CONTENT "${registration_script}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${registration})
endif()
