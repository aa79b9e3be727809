// Linux hosts pass narrow UTF-8 text to wide formats (%s) and wide text with
// %ls; the message reads the same whatever locale the host runs in.
#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "ConsoleFixture.h"

namespace {

using WideFormatTest = VexirTest::ConsoleFixture;

TEST_F(WideFormatTest, NarrowArgumentsAreUtf8WhateverTheLocale)
{
    ASSERT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
    VexirTest::TestConsole* console = AddTestConsole();
    manager->PrintInfo(L"%s: %ls", "gr\xC3\xBC\xC3\x9F" "e \xE4\xB8\x96\xE7\x95\x8C", L"\x00C4\x4E2D ok");
    ASSERT_EQ(console->messages.size(), 1u);
    EXPECT_EQ(console->messages[0].text, "gr\xC3\xBC\xC3\x9F" "e \xE4\xB8\x96\xE7\x95\x8C: \xC3\x84\xE4\xB8\xAD ok");
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C") << "the process's locale was changed";
}

TEST_F(WideFormatTest, AMessageThatCannotBeFormattedStillArrives)
{
    VexirTest::TestConsole* console = AddTestConsole();
    manager->PrintWarning(L"reading %s failed", "bad \xFF byte");
    ASSERT_EQ(console->messages.size(), 1u);
    EXPECT_EQ(console->messages[0].text, "reading %s failed [message could not be formatted]");
}

}  // namespace
