# cmake -DSOURCE=... -DTOOLCHAIN=... -DWORK=... -P check_reproducible.cmake:
# builds the product and the toolkit in two fresh trees at different paths
# and fails unless both give the same bytes.
set(trees ${WORK}/first ${WORK}/second-tree)
file(REMOVE_RECURSE ${WORK})
foreach(tree ${trees})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${tree} -G Ninja -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
                          -DCMAKE_BUILD_TYPE=MinSizeRel
                  OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "configuring ${tree} failed")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${tree} --target setup toolkit
                  OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "building ${tree} failed:\n${output}")
  endif()
endforeach()
foreach(file SETUP.EXE ZAVEZ432.DLL)
  file(SHA256 ${WORK}/first/${file} first)
  file(SHA256 ${WORK}/second-tree/${file} second)
  if(NOT first STREQUAL second)
    message(FATAL_ERROR "${file} differs between two builds: ${first} and ${second}")
  endif()
  message(STATUS "${file}: ${first} in both builds")
endforeach()
file(REMOVE_RECURSE ${WORK})
