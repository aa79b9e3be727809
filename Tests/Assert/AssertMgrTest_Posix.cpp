// Break with a debugger attached: gdb stops the process at the trap, and
// once it resumes the site goes on.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

namespace {

std::string Beside(const std::string& program)
{
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path(self, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + program;
}

TEST(AssertMgrPosix, BreakTrapsIntoAnAttachedDebugger)
{
    if (system("command -v gdb >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "gdb is not installed";
    const std::string command = "timeout 120 gdb -nx -batch -ex run -ex continue --args '" + Beside("VexirTestChild") +
                                "' break 2>&1";
    std::FILE* gdb = popen(command.c_str(), "r");
    ASSERT_TRUE(gdb);
    std::string output;
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, gdb))
        output.append(buffer, got);
    pclose(gdb);
    EXPECT_NE(output.find("SIGTRAP"), std::string::npos) << output;
    EXPECT_NE(output.find("went on after the break"), std::string::npos) << output;
}

}  // namespace
