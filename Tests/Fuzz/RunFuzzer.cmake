# Runs one fuzzer for VEXIR_FUZZ_SECONDS (default 20) over its seeds and what
# earlier runs in this build found interesting. A failure keeps the input that
# caused it and says where; copied into the seeds, it guards the fix.
#   cmake -DFUZZER=<program> -DNAME=<name> -DSEEDS=<folder> -DWORK=<folder> -P RunFuzzer.cmake
set(seconds 20)
if(DEFINED ENV{VEXIR_FUZZ_SECONDS})
  set(seconds $ENV{VEXIR_FUZZ_SECONDS})
endif()
set(corpus ${WORK}/corpus/${NAME})
set(findings ${WORK}/findings)
file(MAKE_DIRECTORY ${corpus} ${findings})

execute_process(
  COMMAND ${FUZZER} -max_total_time=${seconds} -timeout=10 -rss_limit_mb=2048 -max_len=4096
          -print_final_stats=1 -artifact_prefix=${findings}/${NAME}- ${corpus} ${SEEDS}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)

string(REGEX MATCH "stat::number_of_executed_units: *([0-9]+)" executed "${output}")
set(runs ${CMAKE_MATCH_1})
# The last progress line tells how far coverage got.
string(REGEX MATCHALL "cov: [0-9]+ ft: [0-9]+ corp: [0-9]+" progress "${output}")
list(POP_BACK progress coverage)
if(NOT result EQUAL 0)
  file(GLOB kept ${findings}/${NAME}-*)
  message("${output}")
  message(FATAL_ERROR "${NAME}: a finding after ${runs} runs. The input is kept as:\n  ${kept}\n"
                      "Reproduce with: ${FUZZER} <input>; once fixed, add it to ${SEEDS}/")
endif()
message("${NAME}: ${runs} runs in ${seconds} s, ${coverage}")
