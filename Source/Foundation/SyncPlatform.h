// The few operating-system facts that the portable synchronisation code needs.
#pragma once

namespace Vexir {

// A number that identifies the calling thread while it lives.
unsigned long long CurrentThreadToken();

// The calling process's id: it changes in a forked child.
unsigned long CurrentProcessToken();

// The high-resolution counter and its ticks per second.
long long ReadHighResCounter();
long long HighResCounterFrequency();

}  // namespace Vexir
