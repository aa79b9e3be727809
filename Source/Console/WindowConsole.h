// The window console of this platform: a rich-edit window on Windows. Null
// where the platform has none in this build.
#pragma once

#include <Vexir/Console.h>

namespace Vexir {

IConsole* CreateWindowConsole(IMgrConsole* manager);

}  // namespace Vexir
