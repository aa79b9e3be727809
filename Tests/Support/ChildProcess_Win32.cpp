#include "ChildProcess.h"

#include <windows.h>

#include <Vexir/Utf8Util.h>

namespace VexirTest {

namespace {

std::wstring ProgramPath(const std::string& program)
{
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + utf8util::Utf8ToUtf16(program) + L".exe";
}

std::wstring TempPath()
{
    wchar_t folder[MAX_PATH];
    wchar_t name[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"vxc", 0, name);
    return name;
}

HANDLE OpenInheritable(const std::wstring& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &security, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::wstring QuotedCommandLine(const std::wstring& program, const std::vector<std::string>& arguments)
{
    std::wstring line = L"\"" + program + L"\"";
    for (const std::string& argument : arguments)
        line += L" \"" + utf8util::Utf8ToUtf16(argument) + L"\"";
    return line;
}

// Read through a handle of its own: the child's handle shares its file
// position with any handle inherited from ours.
std::string ReadAll(const std::wstring& path)
{
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    char buffer[4096];
    DWORD got = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    // The child writes text mode: line ends become "\n" as on the other platforms.
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lines += text[i];
    return lines;
}

}  // namespace

struct RunningChild::State {
    PROCESS_INFORMATION process{};
    bool started = false;
    std::wstring inputPath;
    std::wstring outputPath;
    HANDLE in = INVALID_HANDLE_VALUE;
    HANDLE out = INVALID_HANDLE_VALUE;
    HANDLE inputPipe = INVALID_HANDLE_VALUE;
};

RunningChild::RunningChild(const std::string& name, const std::vector<std::string>& arguments,
                           const std::string& input, bool inputStaysOpen)
    : _pState(new State)
{
    const std::wstring program = ProgramPath(name);
    _pState->inputPath = TempPath();
    _pState->outputPath = TempPath();

    DWORD written = 0;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    if (inputStaysOpen && CreatePipe(&_pState->in, &_pState->inputPipe, &inheritable, 0)) {
        SetHandleInformation(_pState->inputPipe, HANDLE_FLAG_INHERIT, 0);
        WriteFile(_pState->inputPipe, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    } else {
        _pState->in = OpenInheritable(_pState->inputPath, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
        WriteFile(_pState->in, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
        SetFilePointer(_pState->in, 0, nullptr, FILE_BEGIN);
    }
    _pState->out = OpenInheritable(_pState->outputPath, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = _pState->in;
    startup.hStdOutput = _pState->out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine = QuotedCommandLine(program, arguments);
    _pState->started = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &_pState->process) != FALSE;
}

RunningChild::~RunningChild()
{
    Kill();
    if (_pState->started) {
        WaitForSingleObject(_pState->process.hProcess, INFINITE);
        CloseHandle(_pState->process.hThread);
        CloseHandle(_pState->process.hProcess);
    }
    CloseHandle(_pState->in);
    CloseHandle(_pState->out);
    if (_pState->inputPipe != INVALID_HANDLE_VALUE)
        CloseHandle(_pState->inputPipe);
    DeleteFileW(_pState->inputPath.c_str());
    DeleteFileW(_pState->outputPath.c_str());
}

bool RunningChild::Started() const { return _pState->started; }

long RunningChild::Id() const { return _pState->started ? static_cast<long>(_pState->process.dwProcessId) : -1; }

bool RunningChild::WaitForOutput(const std::string& text, unsigned ms)
{
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        if (ReadAll(_pState->outputPath).find(text) != std::string::npos)
            return true;
        if (GetTickCount64() > deadline || !_pState->started ||
            WaitForSingleObject(_pState->process.hProcess, 0) == WAIT_OBJECT_0)
            return ReadAll(_pState->outputPath).find(text) != std::string::npos;
        Sleep(5);
    }
}

void RunningChild::Kill()
{
    if (_pState->started && WaitForSingleObject(_pState->process.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(_pState->process.hProcess, 137);
}

ChildResult RunningChild::Finish(unsigned ms)
{
    ChildResult result;
    result.started = _pState->started;
    if (!result.started)
        return result;
    if (WaitForSingleObject(_pState->process.hProcess, ms) != WAIT_OBJECT_0) {
        result.timedOut = true;
        Kill();
        WaitForSingleObject(_pState->process.hProcess, INFINITE);
    }
    DWORD code = 0;
    GetExitCodeProcess(_pState->process.hProcess, &code);
    result.trapped = !result.timedOut && code == static_cast<DWORD>(EXCEPTION_BREAKPOINT);
    result.exited = !result.timedOut && !result.trapped && (code & 0xC0000000u) != 0xC0000000u;
    result.exitCode = static_cast<int>(code);
    result.output = ReadAll(_pState->outputPath);
    return result;
}

ChildResult RunProgram(const std::string& name, const std::vector<std::string>& arguments, const std::string& input,
                       unsigned ms)
{
    RunningChild child(name, arguments, input);
    return child.Finish(ms);
}

std::string UniqueName(const std::string& stem)
{
    static int s_iCounter = 0;
    return stem + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++s_iCounter);
}

}  // namespace VexirTest
