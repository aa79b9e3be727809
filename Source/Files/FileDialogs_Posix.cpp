#include "Files/FileSystem.h"

namespace Vexir {

// The Linux file dialogs come with the window system; until then there is none.
bool ShowFileDialog(bool, NativeWindowHandle, std::string&, const char*, const char*, const char*) { return false; }

}  // namespace Vexir
