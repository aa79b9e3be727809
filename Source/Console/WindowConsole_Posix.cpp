#include "Console/WindowConsole.h"

namespace Vexir {

// The Linux window console lives in a module of its own, loaded on demand; it
// is not part of this build yet.
IConsole* CreateWindowConsole(IMgrConsole*) { return nullptr; }

}  // namespace Vexir
