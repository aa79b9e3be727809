// Linux names are bytes, and need not be UTF-8.
#include <Vexir/Files.h>
#include <Vexir/Utf8Util.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "ScratchDirectory.h"

namespace {

// A name that is not UTF-8 can be neither opened nor named through the file
// manager, which takes UTF-8 alone (Open throws, as on Windows): it is not
// listed and does not exist for it, as a Windows name that cannot become
// UTF-8 does not.
TEST(MgrFilesTest_Posix, NamesThatAreNotUtf8AreNeitherListedNorFound)
{
    VexirTest::ScratchDirectory scratch;
    Vexir::IMgrFiles* files = Vexir::GetMgrFiles();
    const std::string badFile = scratch.Path("bad\xFF.txt"), badDirectory = scratch.Path("dir\xC3\x28");
    const int descriptor = open(badFile.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(descriptor, 0);
    close(descriptor);
    ASSERT_EQ(mkdir(badDirectory.c_str(), 0700), 0);
    scratch.Write("good.txt", "good");

    std::vector<std::string> names;
    ASSERT_TRUE(files->ListFiles(scratch.Path(), names));
    EXPECT_EQ(names, std::vector<std::string>{"good.txt"});
    EXPECT_FALSE(files->FileExists(badFile));
    EXPECT_FALSE(files->DirectoryExists(badDirectory));
    EXPECT_THROW(files->Open(badFile, Vexir::IMgrFiles::ReadBinary), utf8util::utf8_conversion_error);
}

}  // namespace
