#include "Foundation/LocalTime.h"

namespace Vexir {

std::tm LocalTime(std::time_t moment)
{
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

}  // namespace Vexir
