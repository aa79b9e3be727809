// The RemoteConsole program as the remote console starts it: found from any
// working directory, reported false when it cannot listen, and never left
// behind, neither running after a false launch nor uncollected after it ends.
#include <Vexir/Console.h>
#include <Vexir/Network/Sockets.h>
#include <Vexir/Sync.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcesses.h"
#include "Console/RemoteLaunch.h"
#include "ConsoleFixture.h"
#include "ScratchDirectory.h"

namespace {

using namespace Vexir;
using namespace Vexir::Network;

// Launches must not outlive their test.
class RemoteLaunchTest : public VexirTest::ConsoleFixture {
protected:
    void TearDown() override
    {
        for (unsigned long id : VexirTest::ChildProcessesNamed("RemoteConsole"))
            VexirTest::KillProcess(id);
        VexirTest::ConsoleFixture::TearDown();
    }
    IRemoteConsoleInterface* Remote()
    {
        return static_cast<IRemoteConsoleInterface*>(
            manager->GetConsole(IMgrConsole::Remote)->GetInterface(InterfaceBase::Remote));
    }
};

const double kLaunchBound = 5000;

TEST(RemoteLaunchSearch, BesideTheLibraryThenBesideTheProgramThenOnThePath)
{
    using List = std::vector<std::string>;
    struct Case {
        std::string library, program, path;
        char separator;
        std::string name;
        List expected;
    };
    const Case cases[] = {
        {"/opt/sdk/lib/", "/opt/host/bin/", "/usr/local/bin:/usr/bin", ':', "RemoteConsole",
         {"/opt/sdk/lib/RemoteConsole", "/opt/host/bin/RemoteConsole", "/usr/local/bin/RemoteConsole",
          "/usr/bin/RemoteConsole"}},
        // Each place once; an empty entry is not taken for the current directory.
        {"/opt/bin/", "/opt/bin/", "::/opt/bin:/bin/:", ':', "RemoteConsole",
         {"/opt/bin/RemoteConsole", "/bin/RemoteConsole"}},
        {"", "", "", ':', "RemoteConsole", {}},
        {"", "/host/", ".", ':', "RemoteConsole", {"/host/RemoteConsole", "./RemoteConsole"}},
        {"C:\\SDK\\bin\\", "C:\\Host\\", "C:\\Tools;\"C:\\Program Files\\X\";;C:\\Y\\", ';', "RemoteConsole.exe",
         {"C:\\SDK\\bin\\RemoteConsole.exe", "C:\\Host\\RemoteConsole.exe", "C:\\Tools\\RemoteConsole.exe",
          "C:\\Program Files\\X\\RemoteConsole.exe", "C:\\Y\\RemoteConsole.exe"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(RemoteConsoleCandidates(c.library, c.program, c.path, c.separator, c.name), c.expected);
    }
}

TEST_F(RemoteLaunchTest, AProgramThatCannotListenIsReportedAndLeftNowhere)
{
    MgrSocketBase holder;
    ASSERT_TRUE(holder.Init());
    NetListenSocket taken;
    taken.Init(0x7F000001u, 7500);
    ASSERT_EQ(taken.GetPort(), 7500);
    const ManualTimer timer;
    EXPECT_FALSE(Remote()->LaunchRemoteConsole()) << "its port was taken";
    EXPECT_LT(timer.Elapsed(), kLaunchBound + 2000);
    EXPECT_TRUE(VexirTest::ChildProcessesNamed("RemoteConsole").empty())
        << "the program was left running, or uncollected";
}

// The program is looked for beside the library, not in the working directory.
TEST_F(RemoteLaunchTest, TheProgramIsFoundFromAnyWorkingDirectory)
{
    VexirTest::ScratchDirectory scratch;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::u8path(scratch.Path()));
    const bool launched = Remote()->LaunchRemoteConsole();
    std::filesystem::current_path(before);
    ASSERT_TRUE(launched);
    EXPECT_EQ(VexirTest::ChildProcessesNamed("RemoteConsole").size(), 1u);
    EXPECT_TRUE(Remote()->ConnectLocal()) << "a launch that succeeded has a listening program";
}

// A program that ends (killed here) is collected once the console notices
// that its connection has gone: no zombie is left for the host.
TEST_F(RemoteLaunchTest, AProgramThatEndsIsCollected)
{
    ASSERT_TRUE(Remote()->LaunchRemoteConsole());
    const std::vector<unsigned long> launched = VexirTest::ChildProcessesNamed("RemoteConsole");
    ASSERT_EQ(launched.size(), 1u);
    ASSERT_TRUE(Remote()->ConnectLocal());
    manager->PrintInfo("before");
    VexirTest::KillProcess(launched[0]);
    for (int i = 0; i < 300 && VexirTest::ProcessExists(launched[0]); ++i) {
        manager->PrintInfo("after %d", i);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(VexirTest::ProcessExists(launched[0])) << "the ended program was left uncollected";
}

}  // namespace
