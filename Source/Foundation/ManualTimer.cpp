#include <Vexir/Sync.h>

#include "Foundation/SyncPlatform.h"

namespace Vexir {

ManualTimer::ManualTimer() : _iStart(ReadHighResCounter()) {}

void ManualTimer::Reset() { _iStart = ReadHighResCounter(); }

double ManualTimer::Elapsed() const
{
    const long long now = ReadHighResCounter();
    return static_cast<double>(now - _iStart) * 1000.0 / static_cast<double>(HighResCounterFrequency());
}

}  // namespace Vexir
