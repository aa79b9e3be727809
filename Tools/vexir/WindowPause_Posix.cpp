#include "WindowPause.h"

#include <chrono>
#include <thread>

namespace VexirTool {

void PauseWithWindows(unsigned milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace VexirTool
