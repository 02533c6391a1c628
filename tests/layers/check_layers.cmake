# cmake -DBUILD=... -DCHECKS=target=header,... -P check_layers.cmake: builds
# each target, which must fail because its layer cannot see that header.
string(REPLACE "," ";" checks "${CHECKS}")
set(wrong "")
foreach(check IN LISTS checks)
  string(REPLACE "=" ";" pair "${check}")
  list(GET pair 0 target)
  list(GET pair 1 header)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD} --target ${target}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(REPLACE "." "\\." pattern "${header}")
  # GCC and Clang word a missing header differently.
  if(result EQUAL 0 OR NOT output MATCHES "${pattern}'?(: No such file or directory| file not found)")
    list(APPEND wrong "${target} (${header})")
  endif()
endforeach()
if(wrong)
  message(FATAL_ERROR "These did not fail on the header their layer must not see: ${wrong}")
endif()
list(LENGTH checks count)
message(STATUS "All ${count} includes across layers fail to build")
