// Standard output as Windows hosts meet it: a console, whose code page is
// rarely UTF-8. The helper program runs in a console of its own, logs, and
// reads back what its console shows.
#include <gtest/gtest.h>

#include <windows.h>

#include <Vexir/Utf8Util.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ScratchDirectory.h"

namespace {

std::wstring Beside(const std::wstring& program)
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + program;
}

TEST(Console_StdoutWin32, ANonAsciiMessageShowsRightOnAConsole)
{
    VexirTest::ScratchDirectory scratch;
    const std::string shownPath = scratch.Path("shown.txt");
    const std::wstring program = Beside(L"VexirTestChild.exe");
    std::wstring commandLine = L"\"" + program + L"\" console-text \"" + utf8util::Utf8ToUtf16(shownPath) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                               nullptr, &startup, &process));
    const DWORD waited = WaitForSingleObject(process.hProcess, 60000);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the program in its console hung";
    if (code == 3)
        GTEST_SKIP() << "no console could be made here (Wine makes one only on a display)";
    std::ifstream file(shownPath, std::ios::binary);
    std::ostringstream shown;
    shown << file.rdbuf();
    EXPECT_EQ(code, 0u) << shown.str();
    EXPECT_NE(shown.str().find("[I] Gr\xC3\xBC\xC3\x9F" "e, \xE6\x9D\xB1\xE4\xBA\xAC \xE2\x9C\x93"), std::string::npos)
        << "the console shows: " << shown.str();
}

}  // namespace
