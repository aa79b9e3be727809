// The broken-down local time of a moment, safe to call from any thread.
#pragma once

#include <ctime>

namespace Vexir {

std::tm LocalTime(std::time_t moment);

}  // namespace Vexir
