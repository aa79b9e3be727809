// The library's own module handle, stored by the entry point; the dialogs and
// the console window load their resources through it.
#pragma once

#include <windows.h>

namespace Vexir {

HMODULE LibraryModule();

}  // namespace Vexir
