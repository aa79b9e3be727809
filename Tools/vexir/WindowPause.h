// Waits while the tool's windows stay responsive: on Windows this thread owns
// them and must handle their messages; on Linux the UI module's thread does.
#pragma once

namespace VexirTool {

void PauseWithWindows(unsigned milliseconds);

}  // namespace VexirTool
