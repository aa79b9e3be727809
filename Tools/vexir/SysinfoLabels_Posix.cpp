#include "SysinfoLabels.h"

namespace VexirTool {

// Linux has no page-file figure; the library reports the virtual size there.
const char* const kWorkingSetLabel = "resident set";
const char* const kCommittedLabel = "virtual size";
const char* const kSysinfoFooter =
    "Prints this process's resident set, its virtual size (their peaks) and page faults, and the counts of\n"
    "processor packages, cores, cores with several logical processors and NUMA nodes.";

}  // namespace VexirTool
