# cmake -DBUNDLE=dir -DMODULEINFO="cmd;..." [-DSNAPSHOT="cmd;..."] -P bundle_resources.cmake
# Makes the bundle's Contents/Resources from the built module: with a
# snapshot program, the editor pictures hosts show in their plug-in browsers
# (Snapshots/<CID>_snapshot.png at the design size, _snapshot_2.0x.png at
# twice the size with the editor grown to fill it), then moduleinfo.json,
# written from the module's factory and listing the pictures.
set(resources ${BUNDLE}/Contents/Resources)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${result}): ${errors}")
  endif()
endfunction()

run(${MODULEINFO} ${BUNDLE})
if(SNAPSHOT)
  file(READ ${resources}/moduleinfo.json info)
  string(REGEX MATCHALL "\"CID\": \"[0-9A-F]+\"" ids "${info}")
  file(REMOVE_RECURSE ${resources}/Snapshots)
  file(MAKE_DIRECTORY ${resources}/Snapshots)
  foreach(id ${ids})
    string(REGEX REPLACE ".*\"([0-9A-F]+)\"" "\\1" cid "${id}")
    run(${SNAPSHOT} ${resources}/Snapshots/${cid}_snapshot.png --demo)
    run(${SNAPSHOT} ${resources}/Snapshots/${cid}_snapshot_2.0x.png --demo --size 1520x832 --set "UI Size=Grow")
  endforeach()
  run(${MODULEINFO} ${BUNDLE})
endif()
