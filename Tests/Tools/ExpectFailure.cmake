# Runs a program that must fail in one particular way: the exit code it must
# end with, and a message it must print. A crash, a hang or another failure
# does not pass, as it would for a test merely expected to fail.
#   cmake -DPROGRAM=... -DARGUMENTS=a|b|c -DEXIT_CODE=1 -DMESSAGE=regex
#         [-DEMULATOR=...] [-DWORKING_DIRECTORY=...] -P ExpectFailure.cmake
string(REPLACE "|" ";" arguments "${ARGUMENTS}")
if(NOT WORKING_DIRECTORY)
  set(WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${arguments}
                WORKING_DIRECTORY ${WORKING_DIRECTORY}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output
                TIMEOUT 120)
if(NOT result STREQUAL "${EXIT_CODE}")
  message(FATAL_ERROR "exit code ${result}, expected ${EXIT_CODE}; it printed:\n${output}")
endif()
if(NOT output MATCHES "${MESSAGE}")
  message(FATAL_ERROR "the message does not match \"${MESSAGE}\"; it printed:\n${output}")
endif()
