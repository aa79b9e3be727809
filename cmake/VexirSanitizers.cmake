# Applies VEXIR_SANITIZE to every target of the tree (library, tests and tools alike,
# so that the runtime sees the whole program).
if(VEXIR_SANITIZE)
  add_compile_options(-fsanitize=${VEXIR_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${VEXIR_SANITIZE})
endif()
