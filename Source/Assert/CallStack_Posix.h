// The calling thread's stack as a person reads it.
#pragma once

#include <string>

namespace Vexir {

// One line per frame, the caller of this function first:
//   "#2  0x00007f3a1c2b4e10 libVexirCore.so.1!Vexir::RaiseAssert(bool&, ...)+0x7c"
// A frame in a function the module does not export shows the module and the
// offset into it ("AssertTests+0x1a2b3"), which addr2line turns into a line.
std::string CallStackOfThisThread();

}  // namespace Vexir
