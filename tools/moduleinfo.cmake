# vst3-moduleinfo writes a bundle's Contents/Resources/moduleinfo.json from
# its module. After every build of the module, the target bundle-resources
# makes Varnock.vst3's resources with it (and, on Linux, the snapshots with
# varnock-snapshot): cmake/bundle_resources.cmake.
add_executable(vst3-moduleinfo ${CMAKE_CURRENT_LIST_DIR}/moduleinfo.cpp)
target_link_libraries(vst3-moduleinfo PRIVATE vst3host)
set_target_properties(vst3-moduleinfo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tools)

set(VARNOCK_RESOURCES_STAMP ${PROJECT_BINARY_DIR}/bundle-resources.stamp)
if(WIN32)
  # Built for Windows: the tool runs under Wine, which sees the Linux file system as drive Z:.
  set(moduleinfo_command ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:vst3-moduleinfo>)
  set(bundle_argument Z:${VARNOCK_BUNDLE_DIR})
  set(snapshot_arguments)
else()
  set(moduleinfo_command $<TARGET_FILE:vst3-moduleinfo>)
  set(bundle_argument ${VARNOCK_BUNDLE_DIR})
  set(snapshot_arguments -DSNAPSHOT=$<TARGET_FILE:varnock-snapshot>)
endif()
add_custom_command(OUTPUT ${VARNOCK_RESOURCES_STAMP}
  COMMAND ${CMAKE_COMMAND} "-DMODULEINFO=${moduleinfo_command}" -DBUNDLE=${bundle_argument} ${snapshot_arguments}
          -P ${PROJECT_SOURCE_DIR}/cmake/bundle_resources.cmake
  COMMAND ${CMAKE_COMMAND} -E touch ${VARNOCK_RESOURCES_STAMP}
  DEPENDS VarnockModule vst3-moduleinfo $<$<NOT:$<BOOL:${WIN32}>>:varnock-snapshot>
          ${PROJECT_SOURCE_DIR}/cmake/bundle_resources.cmake
  COMMENT "Making Varnock.vst3's resources (moduleinfo.json, snapshots)"
  VERBATIM)
add_custom_target(bundle-resources ALL DEPENDS ${VARNOCK_RESOURCES_STAMP})
