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

std::string ReadAll(HANDLE file)
{
    std::string text;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    // The child writes text mode: line ends become "\n" as on the other platforms.
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lines += text[i];
    return lines;
}

}  // namespace

ChildResult RunProgram(const std::string& name, const std::vector<std::string>& arguments, const std::string& input)
{
    ChildResult result;
    const std::wstring program = ProgramPath(name);
    const std::wstring inputPath = TempPath();
    const std::wstring outputPath = TempPath();

    HANDLE in = OpenInheritable(inputPath, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    DWORD written = 0;
    WriteFile(in, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    SetFilePointer(in, 0, nullptr, FILE_BEGIN);
    HANDLE out = OpenInheritable(outputPath, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = QuotedCommandLine(program, arguments);
    if (CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        result.started = true;
        result.trapped = code == static_cast<DWORD>(EXCEPTION_BREAKPOINT);
        result.exited = !result.trapped && (code & 0xC0000000u) != 0xC0000000u;
        result.exitCode = static_cast<int>(code);
    }
    result.output = ReadAll(out);
    CloseHandle(in);
    CloseHandle(out);
    DeleteFileW(inputPath.c_str());
    DeleteFileW(outputPath.c_str());
    return result;
}

std::string UniqueName(const std::string& stem)
{
    static int s_iCounter = 0;
    return stem + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++s_iCounter);
}

}  // namespace VexirTest
