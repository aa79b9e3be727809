// Deadlines for the Linux layer's timed waits.
#pragma once

#include <time.h>

namespace Vexir {

inline timespec DeadlineOn(clockid_t clock, unsigned long timeoutMs)
{
    timespec deadline;
    clock_gettime(clock, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000);
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return deadline;
}

inline timespec MonotonicDeadline(unsigned long timeoutMs) { return DeadlineOn(CLOCK_MONOTONIC, timeoutMs); }

}  // namespace Vexir
