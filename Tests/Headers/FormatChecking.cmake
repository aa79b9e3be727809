# The printf-style calls are checked by the compiler: a well-formed call
# compiles under -Werror=format, and a mismatched argument of each kind of
# call is refused. Run with -DCOMPILER=... -DINCLUDES=a;b -DWORK_DIR=...
file(MAKE_DIRECTORY ${WORK_DIR})
set(flags -std=c++17 -fsyntax-only -Wall -Werror=format)
foreach(include IN LISTS INCLUDES)
  list(APPEND flags -I${include})
endforeach()

function(compile name body expect_success)
  set(source ${WORK_DIR}/${name}.cpp)
  file(WRITE ${source} "#include <Vexir/Console.h>\n#include <Vexir/Result.h>\n"
                       "void Use(Vexir::IMgrConsole* m, Vexir::Result& r) { ${body}; }\n")
  execute_process(COMMAND ${COMPILER} ${flags} ${source} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(expect_success AND NOT result EQUAL 0)
    message(FATAL_ERROR "${name}: a well-formed call was refused:\n${out}")
  elseif(NOT expect_success AND (result EQUAL 0 OR NOT out MATCHES "format"))
    message(FATAL_ERROR "${name}: a mismatched argument was not caught:\n${out}")
  endif()
endfunction()

compile(good "m->PrintInfo(\"%d %s\", 42, \"x\"); m->BeginBlock(Vexir::IConsole::Info, \"%zu\", sizeof(int)); r.Add(\"%g\", 1.0)" TRUE)
compile(print_info "m->PrintInfo(\"%s\", 42)" FALSE)
compile(print "m->Print(Vexir::IConsole::Normal, Vexir::IConsole::Info, \"%d\", \"text\")" FALSE)
compile(begin_block "m->BeginBlock(Vexir::IConsole::Info, \"%s\", 1.5)" FALSE)
compile(end_block "m->EndBlock(Vexir::IConsole::Info, \"%d\")" FALSE)
compile(result_add "r.Add(\"%s\", 7)" FALSE)
