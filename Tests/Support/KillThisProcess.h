// Ends the calling process at once, as a kill from outside would: no exit
// handlers, no flushing of streams.
#pragma once

namespace VexirTest {

[[noreturn]] void KillThisProcess();

// Ends another process the same way; false when there is no such process.
bool KillProcess(long id);

}  // namespace VexirTest
