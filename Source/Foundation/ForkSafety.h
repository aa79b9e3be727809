// Locks that a forked child must find free. A thread other than the one that
// forks may hold such a lock at the moment of the fork; the child has no such
// thread, so it would wait for ever at its first message. Each lock held
// across fork is taken before the fork and given back in the parent, and is
// made anew, free, in the child, so the child can log and sample from its
// first instruction. Windows has no fork: there this does nothing.
//
// The fork waits at most a second for each lock (a thread may be stuck in a
// write to a pipe nobody reads while it holds one); the child then gets the
// lock free all the same.
#pragma once

namespace Vexir {

class Mutex;

// Registers `lock` for the life of the process; a few locks at most. An
// outermost lock (the console manager's: hosts' consoles may take others
// under it) is taken before all others; the rest are leaves, under which no
// registered lock is ever taken.
void HoldAcrossFork(Mutex* lock, bool outermost);

// A lock that may be held while its holder waits for a person (a prompt):
// forks do not wait for it; a forked child gets it anew, free.
void RenewAfterFork(Mutex* lock);

}  // namespace Vexir
