#include "Foundation/LibraryLifetime.h"

namespace Vexir {

void TearDownLibrary()
{
    DestroyConsoleManager();
    DestroyAssetManager();
    DestroyFileManager();
}

}  // namespace Vexir
