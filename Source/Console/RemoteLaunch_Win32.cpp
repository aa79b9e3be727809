// Starts RemoteConsole.exe, the first found beside the library, beside the
// host's program or on PATH (never merely in the current directory), with no
// handle of the host's. It is up once it listens: it says so by setting the
// event named after its process id, which the launch makes while the program
// is still suspended, before it can run.
#include "Console/RemoteLaunch.h"

#include <Vexir/Utf8Util.h>

#include <windows.h>

#include <string>

#include "Foundation/LibraryModule_Win32.h"

namespace Vexir {

namespace {

std::string FolderOf(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    try {
        const std::string utf8 = utf8util::Utf16ToUtf8(path);
        return utf8.substr(0, utf8.find_last_of("\\/") + 1);
    } catch (const utf8util::utf8_conversion_error&) {
        return std::string();
    }
}

std::string SearchPath()
{
    const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (size == 0)
        return std::string();
    std::wstring path(size, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", &path[0], size));
    try {
        return utf8util::Utf16ToUtf8(path);
    } catch (const utf8util::utf8_conversion_error&) {
        return std::string();
    }
}

std::wstring FindProgram()
{
    for (const std::string& candidate : RemoteConsoleCandidates(FolderOf(LibraryModule()), FolderOf(nullptr),
                                                                SearchPath(), ';', "RemoteConsole.exe")) {
        try {
            const std::wstring wide = utf8util::Utf8ToUtf16(candidate);
            const DWORD attributes = GetFileAttributesW(wide.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
                return wide;
        } catch (const utf8util::utf8_conversion_error&) {
        }
    }
    return std::wstring();
}

}  // namespace

bool LaunchRemoteConsoleProgram(LaunchedProcess& process)
{
    process = LaunchedProcess();
    const std::wstring program = FindProgram();
    if (program.empty())
        return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information{};
    // Quoted, so that a folder with a space in its name is not read as arguments.
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &information))
        return false;
    const std::wstring name = L"Local\\RemoteConsole.Listening." + std::to_wstring(information.dwProcessId);
    HANDLE listening = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    ResumeThread(information.hThread);
    DWORD waited = WAIT_FAILED;
    if (listening) {
        const HANDLE either[] = {listening, information.hProcess};
        waited = WaitForMultipleObjects(2, either, FALSE, kLaunchMilliseconds);
        CloseHandle(listening);
    }
    if (waited != WAIT_OBJECT_0) {
        // Ended (its port taken) or not up in time: nothing is left running
        // that the host was told failed.
        TerminateProcess(information.hProcess, 1);
        WaitForSingleObject(information.hProcess, kLaunchMilliseconds);
        CloseHandle(information.hProcess);
        CloseHandle(information.hThread);
        return false;
    }
    process.processHandle = information.hProcess;
    process.threadHandle = information.hThread;
    process.processId = information.dwProcessId;
    process.threadId = information.dwThreadId;
    return true;
}

void ReleaseLaunchedProcess(LaunchedProcess& process)
{
    if (process.processHandle)
        CloseHandle(static_cast<HANDLE>(process.processHandle));
    if (process.threadHandle)
        CloseHandle(static_cast<HANDLE>(process.threadHandle));
    process = LaunchedProcess();
}

// Windows keeps no zombie: the handles are all that an ended program holds,
// and they are let go here.
void ReapLaunchedProcess(LaunchedProcess& process)
{
    if (process.processHandle && WaitForSingleObject(static_cast<HANDLE>(process.processHandle), 0) == WAIT_OBJECT_0)
        ReleaseLaunchedProcess(process);
}

}  // namespace Vexir
