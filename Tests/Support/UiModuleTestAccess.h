// The UI module's test access, from the module beside the library (loaded
// here if the library has not loaded it yet). Null without the module.
#pragma once

#include "Foundation/UiTestAccess.h"

namespace VexirTest {

const Vexir::ui::TestAccess* UiModuleTestAccess();

}  // namespace VexirTest
