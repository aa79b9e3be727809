// Makes the built-in console of a slot; null for a slot this build has none for.
#pragma once

#include <Vexir/Console.h>

namespace Vexir {

IConsole* CreateBuiltinConsole(IMgrConsole::ConsoleType type, IMgrConsole* manager);

}  // namespace Vexir
