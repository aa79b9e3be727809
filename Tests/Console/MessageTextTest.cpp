// The manager formats most conversions itself; whatever it formats must read
// exactly as the C library's snprintf writes it.
#include <Vexir/Console.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ConsoleFixture.h"

namespace {

using MessageTextTest = VexirTest::ConsoleFixture;

class Comparer {
public:
    explicit Comparer(Vexir::IMgrConsole* manager, VexirTest::TestConsole* console)
        : _pManager(manager), _pConsole(console)
    {
    }

    template <typename... Args>
    void Expect(const std::string& format, Args... args)
    {
        // A format the C library rejects gives an empty message.
        const int length = std::snprintf(nullptr, 0, format.c_str(), args...);
        std::string expected(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
        if (length > 0)
            std::snprintf(&expected[0], expected.size() + 1, format.c_str(), args...);
        _pConsole->messages.clear();
        _pManager->PrintInfo(format.c_str(), args...);
        ASSERT_EQ(_pConsole->messages.size(), 1u);
        EXPECT_EQ(_pConsole->messages[0].text, expected) << "format \"" << format << "\"";
        ++checked;
    }

    int checked = 0;

private:
    Vexir::IMgrConsole* _pManager;
    VexirTest::TestConsole* _pConsole;
};

std::vector<std::string> Directives(const std::string& conversions)
{
    std::vector<std::string> directives;
    for (const char* flags : {"", "-", "+", " ", "#", "0", "-0", "+0", "- ", "#0", "-#"})
        for (const char* width : {"", "1", "7", "12"})
            for (const char* precision : {"", ".", ".0", ".1", ".4", ".17"})
                for (char conversion : conversions)
                    directives.push_back(std::string("[%") + flags + width + precision + conversion + "]");
    return directives;
}

TEST_F(MessageTextTest, IntegersReadAsSnprintfWritesThem)
{
    Comparer compare(manager, AddTestConsole());
    for (const std::string& directive : Directives("diuoxX"))
        for (int value : {0, 1, -1, 7, 255, -4096, INT_MAX, INT_MIN})
            compare.Expect(directive, value);
    for (const char* directive : {"%.100d", "%-130.120x|", "%lld", "%llu", "%llx", "%+lld", "%ld", "%lu", "%zu", "%zd", "%jd", "%td",
                                    "%hd", "%hhu", "%hhd", "%hx", "%#llo", "%20.15lld", "%-20lld|"}) {
        compare.Expect(directive, static_cast<long long>(LLONG_MIN));
        compare.Expect(directive, static_cast<long long>(-1234567890123LL));
        compare.Expect(directive, static_cast<long long>(ULLONG_MAX));
    }
    EXPECT_GT(compare.checked, 12000);
}

TEST_F(MessageTextTest, FloatingValuesReadAsSnprintfWritesThem)
{
    Comparer compare(manager, AddTestConsole());
    const double values[] = {0.0,     -0.0,    1.0,      -1.5,    16.25,     0.1,       2.5,    0.5,   1e-7,
                             123456.789, -9.999999, 1e21,  5e-324, DBL_MAX,  DBL_MIN,   1.0 / 3, 999.9995};
    for (const std::string& directive : Directives("fFeEgG"))
        for (double value : values)
            compare.Expect(directive, value);
    for (double odd : {INFINITY, -INFINITY, NAN})
        for (const char* directive : {"%f", "%e", "%G", "%08.3f"})
            compare.Expect(directive, odd);
    compare.Expect("%*.*f|%-*d|%.*e", 10, 3, 3.14159, -6, 42, -1, 2.5);
}

// A host that set a comma-decimal C locale gets the C library's commas, from
// the fast path and the platform's formatter alike. The locale is made by the
// build (Linux) or is one the system has (Windows).
TEST_F(MessageTextTest, FloatingValuesFollowTheHostsCLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "German_Germany.1252"})
        if ((chosen = std::setlocale(LC_ALL, name)) != nullptr)
            break;
    ASSERT_NE(chosen, nullptr) << "no comma-decimal locale could be set";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    Comparer compare(manager, AddTestConsole());
    compare.Expect("%.2f ms", 1.5);
    compare.Expect("%.2f ms %p", 1.5, static_cast<void*>(&compare));
    for (const char* directive : {"%f", "%e", "%g", "%12.4f", "%-+10.2e|"})
        for (double value : {1.5, -0.25, 123456.789, 1e-7})
            compare.Expect(directive, value);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_GE(compare.checked, 22);
}

// A directive the manager leaves to the C library does not take the rest of the
// message with it: "%8g" keeps its width beside a %p or a %ls (MinGW's stdio
// drops it; the Windows runtime, like glibc, keeps it).
TEST_F(MessageTextTest, OneDirectiveLeftToTheCLibraryLeavesTheOthersAlone)
{
    VexirTest::TestConsole* console = AddTestConsole();
    int object = 0;
    char pointer[64];
    std::snprintf(pointer, sizeof pointer, "%p", static_cast<void*>(&object));
    manager->PrintInfo("[%8g] %p", 10000.0, static_cast<void*>(&object));
    // A sign flag on an unsigned conversion, which the compiler rightly flags:
    // the C library ignores it, and so must the manager.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
    manager->PrintInfo("[%-8g|%ls|%+u]", 10000.0, L"w", 7u);
#pragma GCC diagnostic pop
    ASSERT_EQ(console->messages.size(), 2u);
    EXPECT_EQ(console->messages[0].text, std::string("[   10000] ") + pointer);
    EXPECT_EQ(console->messages[1].text, "[10000   |w|7]");
}

TEST_F(MessageTextTest, TextAndCharactersReadAsSnprintfWritesThem)
{
    Comparer compare(manager, AddTestConsole());
    for (const char* directive : {"%s", "%10s", "%-10s|", "%.3s", "%10.2s", "%.0s", "%05s"}) {
        compare.Expect(directive, "text");
        compare.Expect(directive, "");
    }
    for (const char* directive : {"%c", "%5c", "%-5c|"})
        compare.Expect(directive, 'q');
    compare.Expect("%c%c%c", 'a', 0xC3, 0x84);
    compare.Expect("%5%|%% and %s", "x");
    compare.Expect("%p", static_cast<void*>(&compare));
    compare.Expect("trailing %");
    compare.Expect("%s is %d%% of %.1f", "load", 93, 100.0);
    const std::string longText(2000, 'y');
    compare.Expect("%s|%1000d|%-700.3f", longText.c_str(), 5, 2.0);
}

}  // namespace
