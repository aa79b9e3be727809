#include <Vexir/Path.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Vexir::Path;

struct Row {
    const char* input;
    const char* root;
    const char* directories;
    const char* stem;
    const char* extension;
    const char* filename;
    const char* parentPath;
    const char* asString;
    bool valid;
};

// Every spelling, byte for byte, as the path rebuilds it.
const Row kRows[] = {
    {"C:\\data\\tex\\wood.png", "C:/", "data/tex", "wood", "png", "wood.png", "C:/data/tex", "C:/data/tex/wood.png", true},
    {"textures/wood.tar.gz", "", "textures", "wood.tar", "gz", "wood.tar.gz", "textures", "textures/wood.tar.gz", true},
    {"\\\\server\\share\\a.txt", "//server/", "share", "a", "txt", "a.txt", "//server/share", "//server/share/a.txt", true},
    {"/usr/lib/", "/", "usr/lib", "", "", "", "/usr/lib", "/usr/lib", true},
    {"a/./b/../c/x", "", "a/c", "x", "", "x", "a/c", "a/c/x", true},
    {"a//b\\\\c.txt", "", "a/b", "c", "txt", "c.txt", "a/b", "a/b/c.txt", true},
    {"C:/x.txt", "C:/", "", "x", "txt", "x.txt", "C:/", "C:/x.txt", true},
    {"/x.txt", "/", "", "x", "txt", "x.txt", "/", "/x.txt", true},
    {"d:/", "d:/", "", "", "", "", "d:/", "d:/", true},
    {"../x.txt", "", "..", "x", "txt", "x.txt", "..", "../x.txt", false},
    {"./../x.txt", "", "..", "x", "txt", "x.txt", "..", "../x.txt", true},
    {"a/../../x", "", "..", "x", "", "x", "..", "../x", true},
    {".cfg", "", "", "", "cfg", ".cfg", "", ".cfg", true},
    {"name.", "", "", "name", "", "name", "", "name", true},
    {"C:x.txt", "", "", "", "", "", "", "", false},
    {"\\\\server", "", "", "", "", "", "", "", false},
    {"\\\\srv\\", "//srv/", "", "", "", "", "//srv/", "//srv/", true},
    {"a/b?c/d.txt", "", "a", "", "", "", "a", "a", false},
};

TEST(Path, RebuildsEveryExampleExactly)
{
    for (const Row& row : kRows) {
        const Path path{std::string(row.input)};
        SCOPED_TRACE(row.input);
        EXPECT_EQ(path.Root(), row.root);
        EXPECT_EQ(path.Directories(), row.directories);
        EXPECT_EQ(path.Stem(), row.stem);
        EXPECT_EQ(path.Extension(), row.extension);
        EXPECT_EQ(path.Filename(), row.filename);
        EXPECT_EQ(path.ParentPath(), row.parentPath);
        EXPECT_EQ(path.AsString(), row.asString);
        EXPECT_STREQ(path.AsChar(), row.asString);
        EXPECT_EQ(path.IsValid(), row.valid);
        EXPECT_EQ(path.IsDirectory(), std::string(row.filename).empty());
        EXPECT_EQ(path.IsRelative(), std::string(row.root).empty());
    }
}

TEST(Path, EmptyTextIsValidButAnEmptyPathIsNot)
{
    const Path fromText{std::string()};
    EXPECT_TRUE(fromText.IsValid());
    EXPECT_EQ(fromText.AsString(), "");
    Path path;
    EXPECT_FALSE(path.IsValid());
    path.Set("a/b.txt");
    path.Clear();
    EXPECT_FALSE(path.IsValid());
    EXPECT_EQ(path.AsString(), "");
    EXPECT_EQ(path.Stem(), "");
}

TEST(Path, ColonsAndServerNamesAreChecked)
{
    for (const char* text : {"C:", "a:b/c", "C:name", "\\\\ser:ver\\x", "//a|b/c", "x/y*.txt", "q\"uote"})
        EXPECT_FALSE(Path(text).IsValid()) << text;
    EXPECT_TRUE(Path("//server/share/x").IsValid());
    EXPECT_EQ(Path("///x").Root(), "/") << "three leading separators are a plain root";
    EXPECT_EQ(Path("///x").AsString(), "/x");
    EXPECT_EQ(Path("\\").AsString(), "/");
    EXPECT_EQ(Path("D:\\A\\b").Root(), "D:/") << "the drive letter keeps its case";
    EXPECT_EQ(Path("1:/x").Root(), "") << "only a letter makes a drive";
    EXPECT_EQ(Path("caf\xC3\xA9/\xE4\xB8\xAD.txt").AsString(), "caf\xC3\xA9/\xE4\xB8\xAD.txt");
}

TEST(Path, ALastDotOrDotDotIsADirectory)
{
    EXPECT_EQ(Path("a/b/..").AsString(), "a");
    EXPECT_TRUE(Path("a/b/..").IsDirectory());
    EXPECT_EQ(Path("a/.").AsString(), "a");
    EXPECT_FALSE(Path("..").IsValid());
    EXPECT_EQ(Path("x/../..").AsString(), "..");
}

// Found by fuzzing: a name ending in more than one dot, or made of dots alone,
// rebuilt into text that read back as another path.
TEST(Path, DotsEndingANameAreAllDropped)
{
    for (const char* text : {"a/name..", "a/name...", "a/b.c.", "a/...", "a/b/....", "a./.../c.d./x"}) {
        const Path path(text);
        const Path again(path.AsString() + (path.IsDirectory() ? "/" : ""));
        EXPECT_EQ(again.AsString(), path.AsString()) << text;
        EXPECT_EQ(again.Stem(), path.Stem()) << text;
        EXPECT_EQ(again.Extension(), path.Extension()) << text;
    }
    EXPECT_EQ(Path("a/name..").AsString(), "a/name");
    EXPECT_EQ(Path("b.c.").Stem(), "b");
    EXPECT_EQ(Path("a/b/...").AsString(), "a/b");
    EXPECT_TRUE(Path("a/b/...").IsDirectory());
    EXPECT_EQ(Path("a./.../c.d./x").AsString(), "a/c.d/x") << "directories lose their final dots too";
}

// Windows forbids control characters in names, and a NUL would cut the text
// short where it is handed on as a C string: "x.txt\0.png" would open x.txt.
TEST(Path, ControlCharactersAreForbidden)
{
    EXPECT_FALSE(Path(std::string("x.txt\0.png", 11)).IsValid());
    EXPECT_FALSE(Path("a\tb/c.txt").IsValid());
    EXPECT_FALSE(Path("a/b\x1F").IsValid());
    EXPECT_TRUE(Path("a/\x7F\xC3\xA4.txt").IsValid());
}

// Found by fuzzing: climbing above a root rebuilt as "/..", which does not
// read back as a valid path. Above a root is the root, as on every system.
TEST(Path, NothingIsAboveARoot)
{
    EXPECT_EQ(Path("/a/../../x").AsString(), "/x");
    EXPECT_EQ(Path("C:\\a\\..\\..\\..\\x.txt").AsString(), "C:/x.txt");
    EXPECT_EQ(Path("//server/a/../..").AsString(), "//server/");
    EXPECT_TRUE(Path(Path("/a/../..").AsString()).IsValid());
    EXPECT_FALSE(Path("/../x").IsValid()) << "a path that starts by climbing is still refused";
}

// A refused text lost the part that was wrong, so what is left is not the
// path that was meant: no setter makes it valid again, only a new text does.
// The setters refuse what Set would.
TEST(Path, ARefusalLastsUntilANewText)
{
    Path path("a/b?c/d.txt");
    ASSERT_FALSE(path.IsValid());
    EXPECT_EQ(path.AsString(), "a");
    path.SetStem("e");
    EXPECT_FALSE(path.IsValid()) << "a/e is not the path that was given";
    EXPECT_EQ(path.AsString(), "a/e") << "setters still rebuild";
    for (const auto& set : {+[](Path& p) { p.SetDirectories("x/y"); }, +[](Path& p) { p.SetFilename("f.txt"); },
                            +[](Path& p) { p.SetExtension("png"); }, +[](Path& p) { p.SetRoot("/"); }}) {
        set(path);
        EXPECT_FALSE(path.IsValid()) << path.AsString();
    }
    path.Set("x/y.txt");
    EXPECT_TRUE(path.IsValid()) << "a new text starts afresh";
    path = Path("\\\\server");
    EXPECT_FALSE(path.IsValid());
    path.SetRoot("//server/");
    EXPECT_FALSE(path.IsValid()) << "the server path was refused";
    path = Path("q/r");
    EXPECT_TRUE(path.IsValid()) << "assigning a valid path";

    // What each setter would store, had Set read it in a text.
    struct Case {
        const char* what;
        void (*set)(Path&);
    };
    const Case refused[] = {
        {"stem b?", [](Path& p) { p.SetStem("b?"); }},
        {"extension t|x", [](Path& p) { p.SetExtension("t|x"); }},
        {"extension a/b", [](Path& p) { p.SetExtension("a/b"); }},
        {"file name a:b", [](Path& p) { p.SetFilename("a:b"); }},
        {"file name a/b", [](Path& p) { p.SetFilename("a/b"); }},
        {"directory b*c", [](Path& p) { p.SetDirectories("a/b*c/d"); }},
        {"directory with a tab", [](Path& p) { p.SetDirectories("a\tb"); }},
        {"root a|b/", [](Path& p) { p.SetRoot("a|b/"); }},
        {"root C:x", [](Path& p) { p.SetRoot("C:x"); }},
        {"root //ser?ver/", [](Path& p) { p.SetRoot("//ser?ver/"); }},
    };
    for (const Case& c : refused) {
        Path p("/base/dir/file.txt");
        c.set(p);
        EXPECT_FALSE(p.IsValid()) << c.what;
        p.SetFilename("clean.txt");
        EXPECT_FALSE(p.IsValid()) << c.what << ", then a clean file name";
    }
    for (const char* root : {"", "/", "\\", "C:", "C:/", "d:\\", "//server/", "\\\\srv\\"}) {
        Path p("dir/file.txt");
        p.SetRoot(root);
        EXPECT_TRUE(p.IsValid()) << "root " << root;
    }
}

TEST(Path, SettersRebuildAndRecheckTheLeadingDotDot)
{
    Path drive;
    drive.SetRoot("C:");
    drive.SetFilename("x");
    EXPECT_EQ(drive.AsString(), "C:/x");
    EXPECT_TRUE(drive.IsValid());

    Path dirs("/r/old/f.tar.gz");
    dirs.SetDirectories("\\\\a//b\\\\");
    EXPECT_EQ(dirs.Directories(), "a/b");
    EXPECT_EQ(dirs.AsString(), "/a/b/f.tar.gz");
    dirs.SetFilename("archive.tar.bz2");
    EXPECT_EQ(dirs.Stem(), "archive.tar");
    EXPECT_EQ(dirs.Extension(), "bz2");
    dirs.SetExtension("");
    EXPECT_EQ(dirs.Filename(), "archive.tar");
    dirs.SetDirectories("../up");
    EXPECT_FALSE(dirs.IsValid());
    EXPECT_EQ(dirs.AsString(), "/../up/archive.tar");
    dirs.SetDirectories("up");
    EXPECT_TRUE(dirs.IsValid()) << "a leading \"..\" is judged anew by each setter";
}

// One path object reused keeps nothing of what it held.
TEST(Path, AReusedPathKeepsNothingOfItsPast)
{
    Path path("C:/data/tex/wood.png");
    path.Set("notes");
    EXPECT_EQ(path.Root(), "");
    EXPECT_EQ(path.Directories(), "");
    EXPECT_EQ(path.Stem(), "notes");
    EXPECT_EQ(path.Extension(), "");
    EXPECT_EQ(path.AsString(), "notes");
    path.Set("//server/share/");
    EXPECT_TRUE(path.IsDirectory());
    EXPECT_EQ(path.Stem(), "");
    EXPECT_EQ(path.Extension(), "");
    EXPECT_EQ(path.AsString(), "//server/share");
    path.Set("a/b.c");
    path.SetFilename("plain");
    EXPECT_EQ(path.Extension(), "");
    EXPECT_EQ(path.AsString(), "a/plain");
    path.SetFilename("x.tar.gz");
    EXPECT_EQ(path.Stem(), "x.tar");
    EXPECT_EQ(path.Extension(), "gz");
    EXPECT_EQ(path.AsString(), "a/x.tar.gz");
}

// Past 32 directories the parser keeps the rest elsewhere; ".." still takes
// back the directory before it, on either side of the 32nd.
TEST(Path, DotDotWorksPastThirtyTwoDirectories)
{
    std::string deep, expected;
    for (int i = 0; i < 40; ++i)
        deep += "d" + std::to_string(i) + "/";
    for (int i = 0; i < 30; ++i)
        expected += "d" + std::to_string(i) + "/";
    // Ten steps back from the 40th cross the 32nd; four new directories cross
    // it again and must not meet what was taken back.
    std::string up;
    for (int i = 0; i < 10; ++i)
        up += "../";
    const Path path(deep + up + "e0/e1/e2/e3/x.txt");
    EXPECT_TRUE(path.IsValid());
    EXPECT_EQ(path.AsString(), expected + "e0/e1/e2/e3/x.txt");
    const Path once(deep + "../y.txt");
    EXPECT_EQ(once.Directories().size(), deep.size() - 4 - 1) << once.Directories();
}

TEST(Path, ConcatenateAppendsARelativePathToADirectory)
{
    Path base("C:/data/");
    const Path relative("tex/wood.png");
    ASSERT_TRUE(base.Concatenate(relative));
    EXPECT_EQ(base.AsString(), "C:/data/tex/wood.png");

    Path file("C:/data");
    EXPECT_FALSE(file.Concatenate(relative)) << "the left side has a file name";
    EXPECT_EQ(file.AsString(), "C:/data");
    Path directory("C:/data/");
    EXPECT_FALSE(directory.Concatenate(Path("/abs/x")));
    EXPECT_EQ(directory.AsString(), "C:/data");

    Path self("a/b/");
    ASSERT_TRUE(self.Concatenate(self));
    EXPECT_EQ(self.AsString(), "a/b/a/b");

    // A refused path on either side refuses, and changes nothing.
    Path refused("a/b:c/");
    ASSERT_FALSE(refused.IsValid());
    ASSERT_TRUE(refused.IsDirectory());
    EXPECT_FALSE(refused.Concatenate(relative));
    EXPECT_EQ(refused.AsString(), "a");
    EXPECT_FALSE(refused.IsValid());
    Path left("C:/data/");
    EXPECT_FALSE(left.Concatenate(Path("tex/\"quoted\".png")));
    EXPECT_EQ(left.AsString(), "C:/data");
    EXPECT_TRUE(left.IsValid());
    // A relative path that climbs is invalid on its own, but not refused.
    ASSERT_TRUE(left.Concatenate(Path("../x.png")));
    EXPECT_EQ(left.AsString(), "C:/x.png");
    EXPECT_TRUE(left.IsValid());
}

TEST(Path, HashFollowsTheRebuiltText)
{
    EXPECT_EQ(Path("abc").Hash(), 277766u);
    EXPECT_EQ(Path().Hash(), 0u);
    EXPECT_EQ(Path("a\\b.txt").Hash(), Path("a//b.txt").Hash());
    EXPECT_NE(Path("A/b.txt").Hash(), Path("a/b.txt").Hash());
    // Bytes above 127 count as negative values.
    EXPECT_EQ(Path("\xC3").Hash(), static_cast<unsigned int>(0xC3 - 256));
    EXPECT_EQ(Path("a\xFF").Hash(), 97u * 53u - 1u);
}

TEST(Path, CopiesAreIndependentValues)
{
    Path original("x/y.z");
    Path copy = original;
    copy.SetStem("w");
    EXPECT_EQ(original.AsString(), "x/y.z");
    EXPECT_EQ(copy.AsString(), "x/w.z");
    copy = copy;
    EXPECT_EQ(copy.AsString(), "x/w.z");
}

}  // namespace
