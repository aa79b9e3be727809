#include "FileSizeLimit.h"

namespace VexirTest {

// Windows has no limit of a process's file sizes; the tests that need one skip.
bool FileSizeLimit::Impose(std::uint64_t) { return false; }

void FileSizeLimit::Lift() {}

}  // namespace VexirTest
