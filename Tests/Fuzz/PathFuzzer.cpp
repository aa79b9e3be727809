// Any text as a path: validity follows the rules (no forbidden character in a
// name, no leading ".."), a valid path names nothing Windows forbids, and the
// text it rebuilds parses back into the same path, as do its parts set one by
// one.
#include <Vexir/Path.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"

namespace {

using Vexir::Path;

bool IsForbidden(char c) { return static_cast<unsigned char>(c) < 32 || std::strchr("<>:\"|?*", c) != nullptr; }

bool NameIsClean(const std::string& name)
{
    for (char c : name)
        if (IsForbidden(c) || c == '/' || c == '\\')
            return false;
    return true;
}

// What validity must be for a text with no root: every name clean, and not
// beginning with "..".
bool RelativeShouldBeValid(const std::string& text)
{
    for (char c : text)
        if (IsForbidden(c))
            return false;
    const std::size_t first = text.find_first_of("/\\");
    return text.substr(0, first) != "..";
}

bool DirectoriesAreClean(const std::string& directories)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = directories.find('/', start);
        const std::string name = directories.substr(start, end - start);
        if (!NameIsClean(name) || (end != std::string::npos && name.empty()))
            return false;
        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}

void CheckSame(const Path& expected, const Path& actual, const char* how)
{
    FUZZ_CHECK(actual.IsValid(), "%s: \"%s\" is no longer valid", how, expected.AsChar());
    FUZZ_CHECK(actual.AsString() == expected.AsString(), "%s: \"%s\" became \"%s\"", how, expected.AsChar(),
               actual.AsChar());
    FUZZ_CHECK(actual.Root() == expected.Root() && actual.Directories() == expected.Directories() &&
                   actual.Stem() == expected.Stem() && actual.Extension() == expected.Extension() &&
                   actual.ParentPath() == expected.ParentPath(),
               "%s: the parts of \"%s\" changed", how, expected.AsChar());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Path path(text);
    const bool rooted = !text.empty() && (text[0] == '/' || text[0] == '\\' || (text.size() > 1 && text[1] == ':'));
    if (!rooted)
        FUZZ_CHECK(path.IsValid() == RelativeShouldBeValid(text), "\"%s\" valid: %d", text.c_str(), path.IsValid());
    if (!path.IsValid())
        return 0;

    FUZZ_CHECK(path.AsString().find('\\') == std::string::npos, "a backslash survived in \"%s\"", path.AsChar());
    FUZZ_CHECK(DirectoriesAreClean(path.Directories()), "directories \"%s\"", path.Directories().c_str());
    FUZZ_CHECK(NameIsClean(path.Filename()), "file name \"%s\"", path.Filename().c_str());

    // The rebuilt text leaves out two things the parser needs told: a
    // directory path has no closing separator ("a/b/" is "a/b"), and only "./"
    // lets a path begin with "..", which rebuilding drops.
    std::string rebuilt = path.AsString();
    if (path.IsDirectory() && !rebuilt.empty() && rebuilt.back() != '/')
        rebuilt += '/';
    const bool climbs = rebuilt.compare(0, 3, "../") == 0;
    CheckSame(path, Path(climbs ? "./" + rebuilt : rebuilt), "parsing the rebuilt text");

    if (!climbs) {
        Path assembled;
        assembled.Set("");
        assembled.SetRoot(path.Root());
        assembled.SetDirectories(path.Directories());
        assembled.SetFilename(path.Filename());
        CheckSame(path, assembled, "setting the parts");
    }
    return 0;
}
