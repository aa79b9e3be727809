// The C++ runtime's entry point for a call of a pure virtual function. The
// library defines it so that such calls are reported through the active assert
// handler; the process then ends as the runtime would have ended it.
#include <Vexir/VexirExport.h>

#include <cstdlib>

#include "Assert/AssertPlatform.h"

extern "C" VEXIR_API void __cxa_pure_virtual()
{
    Vexir::PureCallHandler();
    std::abort();
}
