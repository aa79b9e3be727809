#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

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

std::string ReadAndRemove(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    unlink(path.c_str());
    return text.str();
}

}  // namespace

ChildResult RunProgram(const std::string& name, const std::vector<std::string>& arguments, const std::string& input)
{
    ChildResult result;
    const std::string program = ProgramPath(name);
    const std::string inputPath = TempFile(input);
    const std::string outputPath = TempFile(std::string());

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open(inputPath.c_str(), O_RDONLY);
        const int out = open(outputPath.c_str(), O_WRONLY | O_TRUNC);
        dup2(in, 0);
        dup2(out, 1);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    if (pid > 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.started = true;
        result.exited = WIFEXITED(status);
        result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
        result.trapped = WIFSIGNALED(status) && WTERMSIG(status) == SIGTRAP;
    }
    unlink(inputPath.c_str());
    result.output = ReadAndRemove(outputPath);
    return result;
}

std::string UniqueName(const std::string& stem)
{
    static int s_iCounter = 0;
    return stem + "-" + std::to_string(getpid()) + "-" + std::to_string(++s_iCounter);
}

}  // namespace VexirTest
