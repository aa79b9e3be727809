#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace VexirTest {

namespace {

std::string ProgramPath(const std::string& program)
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + program;
}

std::string TempFile(const std::string& content)
{
    char name[] = "/tmp/vexir-child-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) {
        if (!content.empty() && write(fd, content.data(), content.size()) < 0)
            perror("write");
        close(fd);
    }
    return name;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

struct RunningChild::State {
    pid_t pid = -1;
    bool reaped = false;
    int status = 0;
    int inputPipe = -1;
    std::string inputPath;
    std::string outputPath;

    bool Reap(bool block)
    {
        if (!reaped && pid > 0 && waitpid(pid, &status, block ? 0 : WNOHANG) == pid)
            reaped = true;
        return reaped;
    }
};

RunningChild::RunningChild(const std::string& name, const std::vector<std::string>& arguments,
                           const std::string& input, bool inputStaysOpen)
    : _pState(new State)
{
    const std::string program = ProgramPath(name);
    int pipeEnds[2] = {-1, -1};
    if (inputStaysOpen && pipe(pipeEnds) == 0) {
        if (write(pipeEnds[1], input.data(), input.size()) != static_cast<ssize_t>(input.size()))
            perror("write");
        _pState->inputPipe = pipeEnds[1];
    }
    _pState->inputPath = TempFile(inputStaysOpen ? std::string() : input);
    _pState->outputPath = TempFile(std::string());

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    std::fflush(stdout);
    _pState->pid = fork();
    if (_pState->pid == 0) {
        const int in = pipeEnds[0] >= 0 ? pipeEnds[0] : open(_pState->inputPath.c_str(), O_RDONLY);
        if (pipeEnds[1] >= 0)
            close(pipeEnds[1]);
        const int out = open(_pState->outputPath.c_str(), O_WRONLY | O_TRUNC);
        dup2(in, 0);
        dup2(out, 1);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (pipeEnds[0] >= 0)
        close(pipeEnds[0]);
}

RunningChild::~RunningChild()
{
    Kill();
    _pState->Reap(true);
    if (_pState->inputPipe >= 0)
        close(_pState->inputPipe);
    unlink(_pState->inputPath.c_str());
    unlink(_pState->outputPath.c_str());
}

bool RunningChild::Started() const { return _pState->pid > 0; }

long RunningChild::Id() const { return _pState->pid; }

bool RunningChild::WaitForOutput(const std::string& text, unsigned ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (ReadFile(_pState->outputPath).find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline || _pState->Reap(false))
            return ReadFile(_pState->outputPath).find(text) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void RunningChild::Kill()
{
    if (Started() && !_pState->Reap(false)) {
        kill(_pState->pid, SIGKILL);
        kill(_pState->pid, SIGCONT);  // a stopped child dies only once it runs
    }
}

ChildResult RunningChild::Finish(unsigned ms)
{
    ChildResult result;
    result.started = Started();
    if (!result.started)
        return result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!_pState->Reap(false) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!_pState->reaped) {
        result.timedOut = true;
        Kill();
        _pState->Reap(true);
    }
    const int status = _pState->status;
    result.exited = !result.timedOut && WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
    result.trapped = !result.timedOut && WIFSIGNALED(status) && WTERMSIG(status) == SIGTRAP;
    result.output = ReadFile(_pState->outputPath);
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
    return stem + "-" + std::to_string(getpid()) + "-" + std::to_string(++s_iCounter);
}

}  // namespace VexirTest
