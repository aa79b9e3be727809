#include "Foundation/ForkSafety.h"

namespace Vexir {

void HoldAcrossFork(Mutex*, bool) {}

void RenewAfterFork(Mutex*) {}

}  // namespace Vexir
