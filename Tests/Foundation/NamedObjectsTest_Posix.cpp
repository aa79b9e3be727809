// What only Linux's stand-in for named kernel objects can get wrong: files
// left in /dev/shm by killed processes, forks, stopped participants, names
// another user has taken.
#include <Vexir/Sync.h>
#include <Vexir/Utf8Util.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace {

using namespace Vexir;

const unsigned kBound = 10000;

std::wstring Wide(const std::string& text) { return utf8util::Utf8ToUtf16(text); }

std::string FileOf(const std::string& name) { return "/dev/shm/vexir." + std::to_string(geteuid()) + "." + name; }

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

void Leave(const std::string& path, const std::string& bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
}

// Files of killed processes: empty (killed while making it), garbage, or a
// mutex whose owner died with nobody else holding it. Each opens at once as a
// fresh object, which is gone once its last holder closes it.
TEST(NamedObjectsPosix, LeftoversOfKilledProcessesAreStartedAfresh)
{
    const std::string empty = VexirTest::UniqueName("VexirTestEmptyLeftover");
    const std::string garbage = VexirTest::UniqueName("VexirTestGarbageLeftover");
    const std::string ownerDied = VexirTest::UniqueName("VexirTestOwnerDied");
    Leave(FileOf(empty), "");
    Leave(FileOf(garbage), std::string(4096, '\xA5'));
    ASSERT_EQ(VexirTest::RunTestChild({"hold-mutex", ownerDied}, "", kBound).output, "holding\n");

    for (const std::string& name : {empty, garbage, ownerDied}) {
        SCOPED_TRACE(name);
        {
            const ManualTimer timer;
            MutexWaitable mutex(Wide(name).c_str());
            EXPECT_TRUE(mutex.Acquire(0)) << "a leftover is taken for a live object";
            EXPECT_LT(timer.Elapsed(), 1000.0);
            EXPECT_EQ(VexirTest::RunTestChild({"try-mutex", name}, "", kBound).exitCode, 1)
                << "the object made afresh is not shared";
            mutex.Release();
        }
        EXPECT_FALSE(Exists(FileOf(name))) << "the last close left the file";
    }
}

// A process removes leftovers of names nobody holds when it first opens one.
TEST(NamedObjectsPosix, LeftoversAreSweptByTheNextProcess)
{
    const std::string leftover = FileOf(VexirTest::UniqueName("VexirTestSwept"));
    Leave(leftover, "");
    const std::string held = VexirTest::UniqueName("VexirTestNotSwept");
    Event holding(true, true, Wide(held).c_str());
    EXPECT_EQ(VexirTest::RunTestChild({"try-mutex", VexirTest::UniqueName("VexirTestSweeper")}, "", kBound).exitCode, 0);
    EXPECT_FALSE(Exists(leftover));
    EXPECT_TRUE(Exists(FileOf(held))) << "a name somebody holds was removed";
}

// A forked child that closes what it inherited and ends normally must leave
// the parent's hold on the name as it was, whether or not the parent held the
// mutex at the fork; a program it runs holds none of the parent's names.
TEST(NamedObjectsPosix, AForkedChildLeavesTheParentsNameAlone)
{
    for (const bool heldAtFork : {false, true}) {
        SCOPED_TRACE(heldAtFork ? "held at the fork" : "open at the fork");
        const std::string name = VexirTest::UniqueName("VexirTestFork");
        auto* mutex = new MutexWaitable(Wide(name).c_str());
        if (heldAtFork) {
            ASSERT_TRUE(mutex->Acquire(0));
        }
        const pid_t child = fork();
        if (child == 0) {
            delete mutex;
            _exit(0);
        }
        ASSERT_GT(child, 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(Exists(FileOf(name))) << "the child's close removed the parent's name";
        if (!heldAtFork) {
            ASSERT_TRUE(mutex->Acquire(0));
        }
        EXPECT_EQ(VexirTest::RunTestChild({"try-mutex", name}, "", kBound).exitCode, 1)
            << "a new process got another object, or the lock the parent holds";
        mutex->Release();
        EXPECT_EQ(VexirTest::RunTestChild({"try-mutex", name}, "", kBound).exitCode, 0);
        delete mutex;
        EXPECT_FALSE(Exists(FileOf(name)));
    }
}

TEST(NamedObjectsPosix, AProgramAForkedChildRunsHoldsNoName)
{
    const std::string name = VexirTest::UniqueName("VexirTestForkExec");
    Event event(true, false, Wide(name).c_str());
    // RunTestChild forks and runs the helper, which counts its own descriptors
    // that lead to a named object.
    const VexirTest::ChildResult child = VexirTest::RunTestChild({"count-named-descriptors"}, "", kBound);
    EXPECT_EQ(child.output, "0\n");
}

// A waiter stopped in the middle of its wait holds nothing up.
TEST(NamedObjectsPosix, AStoppedWaiterHoldsUpNobody)
{
    const std::string name = VexirTest::UniqueName("VexirTestStoppedWaiter");
    VexirTest::RunningChild stopped("VexirTestChild", {"wait-event", name});
    ASSERT_TRUE(stopped.WaitForOutput("waiting", kBound));
    kill(static_cast<pid_t>(stopped.Id()), SIGSTOP);
    const VexirTest::ChildResult fresh = VexirTest::RunTestChild({"set-and-wait-event", name}, "", kBound);
    EXPECT_FALSE(fresh.timedOut);
    EXPECT_EQ(fresh.output, "taken\n");
    kill(static_cast<pid_t>(stopped.Id()), SIGCONT);
}

// A name whose file another user made, or one too long for a file name, gives
// an object that does nothing, at once.
TEST(NamedObjectsPosix, NamesThatCannotBeOursMakeNoObject)
{
    std::vector<std::string> names{std::string(300, 'n')};
    const std::string squatted = VexirTest::UniqueName("VexirTestSquatted");
    if (geteuid() == 0) {
        Leave(FileOf(squatted), "");
        ASSERT_EQ(chown(FileOf(squatted).c_str(), 1, 1), 0);
        names.push_back(squatted);
    }
    for (const std::string& name : names) {
        SCOPED_TRACE(name.substr(0, 40));
        Event event(true, true, Wide(name).c_str());
        EXPECT_FALSE(event.Wait(0));
        MutexWaitable mutex(Wide(name).c_str());
        EXPECT_FALSE(mutex.Acquire(0));
    }
    if (geteuid() == 0) {
        EXPECT_TRUE(Exists(FileOf(squatted))) << "another user's file was removed";
        unlink(FileOf(squatted).c_str());
    }
}

}  // namespace
