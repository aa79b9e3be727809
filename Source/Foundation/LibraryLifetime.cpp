#include "Foundation/LibraryLifetime.h"

#include <type_traits>

namespace Vexir {

static_assert(std::is_trivially_destructible_v<LibrarySingleton<int>>,
              "a singleton's storage must not be destroyed by the runtime at exit");

void TearDownLibrary()
{
    DestroyConsoleManager();
    DestroyMemoryUsageLog();
    DestroyAssetManager();
    DestroyFileManager();
}

}  // namespace Vexir
