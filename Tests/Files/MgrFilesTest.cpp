#include <Vexir/Files.h>
#include <Vexir/Utf8Util.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ScratchDirectory.h"

namespace {

using Vexir::IFileObj;
using Vexir::IMgrFiles;

class MgrFilesTest : public ::testing::Test {
protected:
    void TearDown() override { files->CloseAll(); }

    IMgrFiles* const files = Vexir::GetMgrFiles();
    VexirTest::ScratchDirectory scratch;
};

TEST_F(MgrFilesTest, OpenWritesReadsAndSeeks)
{
    IFileObj* file = files->Open(scratch.Path("data.bin"), IMgrFiles::WriteBinary);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetOpenState(), 1u);
    EXPECT_EQ(std::string(file->GetFilename()), scratch.Path("data.bin"));
    EXPECT_EQ(file->GetFilenameLength(), scratch.Path("data.bin").size());
    EXPECT_EQ(file->Write("0123456789", 10), 10u);
    EXPECT_EQ(file->Flush(), 0);
    EXPECT_EQ(file->GetSize(), 10);
    EXPECT_EQ(file->Tell(), 10) << "GetSize leaves the position where it was";
    EXPECT_TRUE(file->Seek(2, 1));
    char buffer[4] = {};
    EXPECT_EQ(file->Read(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "234");
    EXPECT_TRUE(file->Seek(-1, 2));
    EXPECT_EQ(file->Tell(), 9);
    EXPECT_TRUE(file->Seek(-4, 0));
    EXPECT_EQ(file->Tell(), 5);
    EXPECT_FALSE(file->Seek(0, 3));
    EXPECT_EQ(file->Tell(), 5) << "an unknown origin does not move";
    EXPECT_EQ(file->FormattedIo("%d", 1), 0);
    EXPECT_TRUE(files->Close(file));
}

TEST_F(MgrFilesTest, ScansWordsNumbersAndLines)
{
    scratch.Write("words.txt", "alpha 42 4000000000 2.5\nsecond line\nan-overlong-word");
    IFileObj* file = files->Open(scratch.Path("words.txt"), IMgrFiles::ReadText);
    ASSERT_NE(file, nullptr);
    char word[32];
    unsigned number = 0;
    unsigned long big = 0;
    float value = 0;
    EXPECT_EQ(file->ReadString(word), 1);
    EXPECT_STREQ(word, "alpha");
    EXPECT_EQ(file->ReadUInt(&number), 1);
    EXPECT_EQ(number, 42u);
    EXPECT_EQ(file->ReadULong(&big), 1);
    EXPECT_EQ(big, 4000000000ul);
    EXPECT_EQ(file->ReadFloat(&value), 1);
    EXPECT_EQ(value, 2.5f);
    char line[64];
    EXPECT_TRUE(file->ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "\n");
    EXPECT_TRUE(file->ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "second line\n");
    char small[4];
    EXPECT_EQ(file->ReadString(small, sizeof small), 1);
    EXPECT_STREQ(small, "an-") << "the bounded scan stops at the buffer";
    EXPECT_FALSE(file->ReadLine(nullptr, 4));
    files->Close(file);
}

TEST_F(MgrFilesTest, OpenSharesByExactNameWithReferences)
{
    const std::string name = scratch.Path("shared.txt");
    IFileObj* first = files->Open(name, IMgrFiles::WriteText);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(files->Open(name.c_str(), IMgrFiles::ReadBinary), first) << "the mode is not compared";
    ASSERT_TRUE(files->Close(first));
    EXPECT_EQ(files->Open(name, IMgrFiles::WriteText), first) << "one Close of two left it open";
    files->Close(first);
    files->Close(first);

    // Another spelling of the same file is another object.
    IFileObj* again = files->Open(name, IMgrFiles::ReadBinary);
    IFileObj* other = files->Open(scratch.Path("./shared.txt"), IMgrFiles::ReadBinary);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(other, again);
    EXPECT_FALSE(files->Close(nullptr));
}

TEST_F(MgrFilesTest, FailedOpensLeaveTheirCode)
{
    EXPECT_EQ(files->Open(scratch.Path("x.txt"), 4), nullptr);
    EXPECT_EQ(files->GetLastErrorCode(), IMgrFiles::BadMode);
    EXPECT_EQ(files->Open(scratch.Path("missing.txt"), IMgrFiles::ReadBinary), nullptr);
    EXPECT_EQ(files->GetLastErrorCode(), IMgrFiles::CannotOpen);
    ASSERT_NE(files->Open(scratch.Path("made.txt"), IMgrFiles::WriteBinary), nullptr);
    EXPECT_EQ(files->GetLastErrorCode(), IMgrFiles::CannotOpen) << "success does not clear the code";
    EXPECT_EQ(files->Open(scratch.Path(), IMgrFiles::ReadBinary), nullptr) << "a directory is not a file";
    EXPECT_EQ(files->Open(static_cast<const char*>(nullptr), 0), nullptr);
    EXPECT_THROW(files->Open("bad\xC3\x28name", IMgrFiles::ReadBinary), utf8util::utf8_conversion_error);
    EXPECT_THROW(files->LoadFile("bad\xFFname", nullptr, false), utf8util::utf8_conversion_error);
}

TEST_F(MgrFilesTest, CloseAllForgetsEveryObject)
{
    const std::string name = scratch.Path("all.txt");
    IFileObj* file = files->Open(name, IMgrFiles::WriteBinary);
    ASSERT_NE(files->Open(name, IMgrFiles::WriteBinary), nullptr);
    file->Write("x", 1);
    EXPECT_TRUE(files->CloseAll());
    IFileObj* fresh = files->Open(name, IMgrFiles::ReadBinary);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->GetSize(), 1) << "CloseAll closed (and flushed) the stream";
}

TEST_F(MgrFilesTest, LoadFileReadsWholeFiles)
{
    scratch.Write("five.bin", std::string("ab\0cd", 5));
    std::size_t size = 99;
    unsigned char* data = files->LoadFile(scratch.Path("five.bin").c_str(), &size, false);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(std::memcmp(data, "ab\0cd", 5), 0);
    files->FreeFileData(data);

    data = files->LoadFile(scratch.Path("five.bin").c_str(), &size, true);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(data[5], 0);
    files->FreeFileData(data);

    scratch.Write("empty.bin", "");
    data = files->LoadFile(scratch.Path("empty.bin").c_str(), &size, true);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(data[0], 0);
    files->FreeFileData(data);

    size = 7;
    EXPECT_EQ(files->LoadFile(scratch.Path("none.bin").c_str(), &size, true), nullptr);
    EXPECT_EQ(size, 0u);
    files->FreeFileData(nullptr);
}

TEST_F(MgrFilesTest, LoadFileOfAnOpenFileReadsFromTheStart)
{
    IFileObj* writer = files->Open(scratch.Path("open.bin"), IMgrFiles::WriteBinary);
    ASSERT_NE(writer, nullptr);
    writer->Write("hello", 5);
    writer->Flush();
    // The other holder stands in the middle, where a load that moved it would show.
    ASSERT_TRUE(writer->Seek(2, 1));  // from the start
    std::size_t size = 0;
    unsigned char* data = files->LoadFile(scratch.Path("open.bin").c_str(), &size, false);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), "hello");
    files->FreeFileData(data);
    EXPECT_EQ(writer->Tell(), 2) << "the other holder's position is kept";
}

// A whole-file load reads bytes, also through an object the host opened as
// text: on Windows such a stream turns CRLF into LF and stops at a Ctrl-Z, so a
// 9-byte file read 5 bytes. The host's stream reads text again afterwards.
TEST_F(MgrFilesTest, LoadFileReadsBytesThroughATextObject)
{
    const std::string bytes("ab\r\ncd\x1A" "ef", 9);
    scratch.Write("text.txt", bytes);
    IFileObj* text = files->Open(scratch.Path("text.txt"), IMgrFiles::ReadText);
    ASSERT_NE(text, nullptr);
    char line[16];
    ASSERT_TRUE(text->ReadLine(line, sizeof line));
    const std::string firstLine = line;
    ASSERT_TRUE(text->Seek(0, 1));
    std::size_t size = 0;
    unsigned char* data = files->LoadFile(scratch.Path("text.txt").c_str(), &size, true);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), bytes + '\0');
    files->FreeFileData(data);
    EXPECT_EQ(text->Tell(), 0);
    ASSERT_TRUE(text->ReadLine(line, sizeof line));
    EXPECT_EQ(std::string(line), firstLine) << "the host's stream reads as it did";
    files->Close(text);
}

// Sizes and positions past 2 GiB, on a sparse file.
TEST_F(MgrFilesTest, LargeFilesKeepTheirTrueSize)
{
    const long long size = (2LL << 30) + 16;
    const std::string name = scratch.Path("large.bin");
    {
        IFileObj* file = files->Open(name, IMgrFiles::WriteBinary);
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(file->Seek(size - 4, 1));
        file->Write("tail", 4);
        EXPECT_EQ(file->GetSize(), size);
        EXPECT_EQ(file->Tell(), size);
        ASSERT_TRUE(file->Seek(-(size - 1), 0));
        EXPECT_EQ(file->Tell(), 1);
        files->Close(file);
    }
    std::size_t loaded = 0;
    unsigned char* data = files->LoadFile(name.c_str(), &loaded, false);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(loaded, static_cast<std::size_t>(size));
    EXPECT_EQ(std::memcmp(data + size - 4, "tail", 4), 0);
    files->FreeFileData(data);
}

TEST_F(MgrFilesTest, ExistenceTestsTellFilesFromDirectories)
{
    scratch.Write("caf\xC3\xA9.txt", "x");
    std::filesystem::create_directories(std::filesystem::u8path(scratch.Path("sub")));
    EXPECT_TRUE(files->FileExists(scratch.Path("caf\xC3\xA9.txt")));
    EXPECT_TRUE(files->FileExists(scratch.Path("caf\xC3\xA9.txt").c_str()));
    EXPECT_FALSE(files->FileExists(scratch.Path("sub")));
    EXPECT_TRUE(files->DirectoryExists(scratch.Path("sub")));
    EXPECT_FALSE(files->DirectoryExists(scratch.Path("caf\xC3\xA9.txt").c_str()));
    EXPECT_FALSE(files->FileExists(scratch.Path("nothing")));
    EXPECT_FALSE(files->FileExists(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(files->FileExists("bad\xC3\x28"));
    // A trailing separator names the same directory on both platforms.
    EXPECT_TRUE(files->DirectoryExists(scratch.Path("sub") + "/"));
    EXPECT_TRUE(files->DirectoryExists(scratch.Path() + "/"));
    EXPECT_FALSE(files->FileExists(scratch.Path("caf\xC3\xA9.txt") + "/"));
}

TEST_F(MgrFilesTest, ListFilesAppendsPlainFilesOnly)
{
    std::vector<std::string> names{"kept"};
    EXPECT_FALSE(files->ListFiles(scratch.Path("missing"), names));
    EXPECT_EQ(names, std::vector<std::string>{"kept"});

    std::filesystem::create_directories(std::filesystem::u8path(scratch.Path("only/sub")));
    EXPECT_TRUE(files->ListFiles(scratch.Path("only"), names));
    EXPECT_EQ(names, std::vector<std::string>{"kept"});

    scratch.Write("only/b.txt", "b");
    scratch.Write("only/\xC3\xA4.txt", "a");
    names.clear();
    EXPECT_TRUE(files->ListFiles(scratch.Path("only"), names));
    EXPECT_EQ(names, (std::vector<std::string>{"b.txt", "\xC3\xA4.txt"}));
    EXPECT_THROW(files->ListFiles("bad\xC3\x28", names), utf8util::utf8_conversion_error);

    // An empty name is the current directory on both platforms.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::u8path(scratch.Path("only")));
    names.clear();
    const bool listed = files->ListFiles("", names);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(listed);
    EXPECT_EQ(names, (std::vector<std::string>{"b.txt", "\xC3\xA4.txt"}));
}

// One order on both platforms: by the bytes of the UTF-8 names (so by code
// point), upper case before lower. The names found are sorted among
// themselves, after what the list held.
TEST_F(MgrFilesTest, ListFilesSortsByBytesOnEveryPlatform)
{
    std::filesystem::create_directories(std::filesystem::u8path(scratch.Path("order")));
    for (const char* name : {"beta.txt", "Zeta.txt", "\xC3\xA4.txt", "_x.txt", "alpha.txt", "B2.txt", "a.txt"})
        scratch.Write(std::string("order/") + name, name);
    std::vector<std::string> names{"zz-kept"};
    ASSERT_TRUE(files->ListFiles(scratch.Path("order"), names));
    EXPECT_EQ(names, (std::vector<std::string>{"zz-kept", "B2.txt", "Zeta.txt", "_x.txt", "a.txt", "alpha.txt",
                                               "beta.txt", "\xC3\xA4.txt"}));
}

// A directory whose name runs past 260 characters is listed where its files
// open.
TEST_F(MgrFilesTest, ListFilesTakesLongNamesAsOpenDoes)
{
    std::string directory = "long";
    while ((scratch.Path(directory)).size() < 300)
        directory += "/" + std::string(60, 'd');
    std::filesystem::create_directories(std::filesystem::u8path(scratch.Path(directory)));
    scratch.Write(directory + "/inside.txt", "in");
    IFileObj* file = files->Open(scratch.Path(directory + "/inside.txt"), IMgrFiles::ReadBinary);
    ASSERT_NE(file, nullptr) << "the system takes names of " << scratch.Path(directory).size() << " characters";
    files->Close(file);
    std::vector<std::string> names;
    EXPECT_TRUE(files->ListFiles(scratch.Path(directory), names));
    EXPECT_EQ(names, std::vector<std::string>{"inside.txt"});
}

TEST_F(MgrFilesTest, UniversalNameOfALocalPathIsThePath)
{
    char out[260];
    const std::string local = scratch.Path("x.txt");
    EXPECT_TRUE(files->GetUniversalName(local.c_str(), out));
    EXPECT_EQ(std::string(out), local);

    // A name that does not fit is cut between characters, terminated, and reported.
    std::string longName = "/";
    while (longName.size() < 300)
        longName += "\xE4\xB8\xAD";
    EXPECT_FALSE(files->GetUniversalName(longName.c_str(), out));
    EXPECT_EQ(std::strlen(out), 1u + (258u / 3u) * 3u);
    EXPECT_EQ(std::string(out), longName.substr(0, std::strlen(out)));
}

TEST_F(MgrFilesTest, DialogsWithoutAWindowSystemOrWithABadFilterShowNothing)
{
    char name[260] = "start.txt";
    // Invalid UTF-8 in the filter refuses before any dialog is shown.
    const char filter[] = "Text\0*.txt\0Bad\xC3\x28\0*.x\0";
    EXPECT_FALSE(files->OpenFileDialog(nullptr, name, filter, "txt", nullptr));
    EXPECT_FALSE(files->SaveFileDialog(nullptr, name, filter, "txt", nullptr));
    EXPECT_STREQ(name, "start.txt");
    EXPECT_FALSE(files->OpenFileDialog(nullptr, nullptr, nullptr, nullptr, nullptr));
}

}  // namespace
