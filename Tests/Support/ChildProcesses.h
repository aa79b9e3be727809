// The programs this process started, found by name, for tests of a library
// call that starts one and keeps no handle the test can reach; and a way to
// kill one as a crash would.
#pragma once

#include <string>
#include <vector>

namespace VexirTest {

// The ids of the running (or ended, not yet collected) children of this
// process whose program is `name` ("RemoteConsole"; ".exe" on Windows is
// added).
std::vector<unsigned long> ChildProcessesNamed(const std::string& name);
// Ends it at once (SIGKILL, TerminateProcess) and waits, at most 5 s, until
// it has ended; it is not collected.
void KillProcess(unsigned long id);
// True while the process exists and has not ended (a zombie has ended).
bool ProcessRuns(unsigned long id);
// True while the process exists at all, an uncollected zombie included.
bool ProcessExists(unsigned long id);

}  // namespace VexirTest
