// The tour's stops for logging, text conversion and assertions.
#include <Vexir/Assert.h>
#include <Vexir/Console.h>
#include <Vexir/Utf8Util.h>

#include <cstdio>
#include <string>

#include "Tour.h"

namespace VexirTool {

namespace {

using Vexir::IConsole;

// Answers every failed assertion itself, so the tour never waits for a person.
class TourAssertHandler : public Vexir::IAssertHandler {
public:
    int HandleAssert(const char* expression, int line, const char* file, const char* message) override
    {
        std::printf("  assert handler: \"%s\" failed at %s:%d (%s); answering Ignore\n", expression, file, line,
                    message ? message : "no message");
        ++_iReports;
        return Vexir::Ignore;
    }
    int Reports() const { return _iReports; }

private:
    int _iReports = 0;
};

void TourLevels(Vexir::IMgrConsole* consoles)
{
    Heading("Console: every level through the standard-output console");
    consoles->SetVerbosity(IConsole::Debug);
    consoles->PrintError("an error: %s\n", "disk full");
    consoles->PrintWarning("a warning: %d%% of the budget used\n", 93);
    consoles->PrintInfo("info: %d meshes, %.2f ms\n", 12, 3.25);
    consoles->PrintVerbose("verbose: %s\n", "details");
    consoles->PrintDebug("debug: %p\n", static_cast<void*>(consoles));
}

void TourBlocks(Vexir::IMgrConsole* consoles)
{
    Heading("Console: nested blocks");
    Vexir::AutoConsoleBlock scene(consoles, IConsole::Info, "Loading scene ", "scene loaded");
    consoles->PrintInfo("camera\n");
    {
        Vexir::AutoConsoleBlock meshes(consoles, IConsole::Info, "Meshes ", "3 meshes");
        consoles->PrintInfo("teapot\n");
        consoles->PrintInfo("floor\n");
        consoles->PrintInfo("sky dome\n");
    }
}

void TourVerbosity(Vexir::IMgrConsole* consoles)
{
    Heading("Console: threshold Warning hides Info and below");
    consoles->SetVerbosity(IConsole::Warning);
    consoles->PrintInfo("this info line is not shown\n");
    consoles->PrintWarning("this warning is\n");
    consoles->SetVerbosity(IConsole::Info);
}

void TourWideText(Vexir::IMgrConsole* consoles)
{
    Heading("Text: UTF-8 in, wide path, UTF-8 out");
    const std::string greeting = "Gr\xC3\xBC\xC3\x9F" "e, \xE4\xB8\x96\xE7\x95\x8C \xF0\x9F\x8C\x8D";
    const std::wstring wide = utf8util::Utf8ToUtf16(greeting);
    consoles->PrintInfo(L"wide format, %d units: %ls\n", static_cast<int>(wide.size()), wide.c_str());
    try {
        utf8util::Utf8ToUtf16("\xC3\x28");
    } catch (const utf8util::utf8_conversion_error& error) {
        consoles->PrintWarning("malformed UTF-8 is refused: %s\n", error.what());
    }
}

void TourAssertion(Vexir::IMgrConsole* consoles)
{
    Heading("Assert: a failed assertion, answered by the tour's handler");
    TourAssertHandler handler;
    Vexir::IAssertHandler* previous = Vexir::GetActiveAssertHandler();
    Vexir::SetActiveAssertHandler(&handler);
    consoles->SetAssertOnError(true);
    consoles->PrintError("an error the host wants to stop on\n");
    consoles->SetAssertOnError(false);
    Vexir::SetActiveAssertHandler(previous);
    std::printf("  the program went on after %d report(s)\n", handler.Reports());
}

}  // namespace

void TourConsole(Vexir::IMgrConsole* consoles)
{
    TourLevels(consoles);
    TourBlocks(consoles);
    TourVerbosity(consoles);
    TourWideText(consoles);
    TourAssertion(consoles);
}

}  // namespace VexirTool
