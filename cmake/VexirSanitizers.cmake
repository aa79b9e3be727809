# Applies VEXIR_SANITIZE to every target of the tree (library, tests and tools alike,
# so that the runtime sees the whole program).
if(VEXIR_SANITIZE)
  add_compile_options(-fsanitize=${VEXIR_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${VEXIR_SANITIZE})
endif()

# The fuzz build instruments everything for coverage, so that the fuzzers are
# guided by the library's branches too, not only by their own.
if(VEXIR_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzzers need clang (libFuzzer); use the fuzz preset")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
