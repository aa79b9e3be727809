# Runs one fuzzer for VEXIR_FUZZ_SECONDS (default 20) over its seeds and what
# earlier runs in this build found interesting. Inputs of earlier findings in
# this build are tried first, and fail the run for as long as they fail. A new
# finding fails the run and says where its input was kept; copied into the
# seeds, it guards the fix in every later run.
#   cmake -DFUZZER=<program> -DNAME=<name> -DSEEDS=<folder> -DWORK=<folder> -P RunFuzzer.cmake
set(seconds 20)
if(DEFINED ENV{VEXIR_FUZZ_SECONDS})
  set(seconds $ENV{VEXIR_FUZZ_SECONDS})
endif()
if(NOT seconds MATCHES "^[1-9][0-9]*$")
  message(FATAL_ERROR "VEXIR_FUZZ_SECONDS must be a whole number of seconds above 0, not \"${seconds}\"")
endif()
set(corpus ${WORK}/corpus/${NAME})
set(findings ${WORK}/findings/${NAME})
file(MAKE_DIRECTORY ${corpus} ${findings})

file(GLOB earlier ${findings}/*)
if(earlier)
  execute_process(COMMAND ${FUZZER} ${earlier} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message("${output}")
    message(FATAL_ERROR "${NAME}: an earlier finding still fails; its inputs are in ${findings}/")
  endif()
  # Fixed: from now on they are part of this build's corpus.
  file(COPY ${earlier} DESTINATION ${corpus})
  file(REMOVE ${earlier})
endif()

execute_process(
  COMMAND ${FUZZER} -max_total_time=${seconds} -timeout=10 -rss_limit_mb=2048 -max_len=4096
          -print_final_stats=1 -artifact_prefix=${findings}/ ${corpus} ${SEEDS}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)

string(REGEX MATCH "stat::number_of_executed_units: *([0-9]+)" executed "${output}")
set(runs ${CMAKE_MATCH_1})
# The last progress line tells how far coverage got.
string(REGEX MATCHALL "cov: [0-9]+ ft: [0-9]+ corp: [0-9]+" progress "${output}")
list(POP_BACK progress coverage)
if(NOT result EQUAL 0)
  file(GLOB kept ${findings}/*)
  message("${output}")
  message(FATAL_ERROR "${NAME}: a finding after ${runs} runs. The input is kept as:\n  ${kept}\n"
                      "Reproduce with: ${FUZZER} <input>; once fixed, add it to ${SEEDS}/")
endif()
message("${NAME}: ${runs} runs in ${seconds} s, ${coverage}")
