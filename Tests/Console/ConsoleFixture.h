// Every console test starts from a manager with an empty table and the settings
// it has after construction, and leaves it that way.
#pragma once

#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include "TestConsole.h"

namespace VexirTest {

class ConsoleFixture : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    // A recording console owned by the manager from now on.
    TestConsole* AddTestConsole(bool withUI = false, bool* deletedFlag = nullptr)
    {
        auto* console = new TestConsole(withUI, deletedFlag);
        EXPECT_TRUE(manager->AddConsole(console));
        return console;
    }

    Vexir::IMgrConsole* const manager = Vexir::GetMgrConsole();

private:
    void Reset()
    {
        manager->RemoveAllConsoles(true);
        manager->SetVerbosity(Vexir::IConsole::Info);
        manager->SetAssertOnError(false);
        manager->SetUIConsoleAutoShow(false, false, nullptr, 0);
    }
};

}  // namespace VexirTest
