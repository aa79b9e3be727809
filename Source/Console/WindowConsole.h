// The window console of this platform: a rich-edit window on Windows, an FLTK
// window from the UI module on Linux.
#pragma once

#include <Vexir/Console.h>

namespace Vexir {

IConsole* CreateWindowConsole(IMgrConsole* manager);

}  // namespace Vexir
