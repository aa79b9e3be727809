# Installs the built library into a scratch prefix, then configures, builds and
# runs a host project that finds it with find_package(VexirCore), and runs the
# installed tools.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGV} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGV} failed (${result}):\n${output}")
  endif()
  set(last_output "${output}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${VEXIR_BUILD_DIR} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${HOST_SOURCE_DIR} -B ${WORK_DIR}/host -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_RPATH=${prefix}/lib)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/host)
run(${WORK_DIR}/host/VexirHost)
if(NOT last_output MATCHES "\\[I\\] host linked: ok")
  message(FATAL_ERROR "The host ran but printed: ${last_output}")
endif()
# The installed tools start from where they were installed, finding the
# installed library on their own.
run(${prefix}/bin/vexir --version)
if(NOT last_output MATCHES "Parvon SDK")
  message(FATAL_ERROR "The installed vexir printed: ${last_output}")
endif()
run(${prefix}/bin/RemoteConsole --help)
if(NOT last_output MATCHES "Exit codes")
  message(FATAL_ERROR "The installed RemoteConsole printed: ${last_output}")
endif()
