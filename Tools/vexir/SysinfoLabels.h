// What the memory figures are called where the tool runs.
#pragma once

namespace VexirTool {

extern const char* const kWorkingSetLabel;
extern const char* const kCommittedLabel;
extern const char* const kSysinfoFooter;

}  // namespace VexirTool
