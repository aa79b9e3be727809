#include "SysinfoLabels.h"

namespace VexirTool {

const char* const kWorkingSetLabel = "working set";
const char* const kCommittedLabel = "page-file usage";
const char* const kSysinfoFooter =
    "Prints this process's working set, page-file usage (their peaks) and page faults, and the counts of\n"
    "processor packages, cores, cores with several logical processors and NUMA nodes.";

}  // namespace VexirTool
