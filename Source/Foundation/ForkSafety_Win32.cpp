#include "Foundation/ForkSafety.h"

namespace Vexir {

void HoldAcrossFork(Mutex*, bool) {}

}  // namespace Vexir
