// The unload hook on Linux. A shared object's finalisers run after every exit
// handler registered with atexit or __cxa_atexit (the host's static
// destructors included), and at dlclose.
#include "Foundation/LibraryLifetime.h"

namespace {

__attribute__((destructor)) void TearDownAtUnload() { Vexir::TearDownLibrary(); }

}  // namespace
