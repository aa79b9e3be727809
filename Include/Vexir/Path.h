/// @file
/// A file path as a value: parsed once into root, directories, stem and
/// extension, checked for the characters Windows forbids in names (control
/// characters included), and rebuilt with "/" separators; names lose the dots
/// they end in, as Windows drops them. It never touches the file system.
/// Rebuilt text parses back into the same path (a directory given a closing
/// "/"; a leading ".." given "./").
///
/// @code{.unparsed}
///   C:\data\tex\wood.png  => root "C:/", directories "data/tex", stem "wood",
///                            extension "png", AsString "C:/data/tex/wood.png"
///   \\server\share\a.txt  => root "//server/", AsString "//server/share/a.txt"
///   /usr/lib/             => a directory: AsString "/usr/lib"
///   a/./b/../c/x          => directories "a/c", AsString "a/c/x"
///   a//b\\c.txt           => AsString "a/b/c.txt"
///   name.  a.b./c.txt     => AsString "name", "a.b/c.txt" (final dots are dropped)
///   a/...                 => a directory: AsString "a" (a name of dots alone is ".")
///   /a/../../x            => AsString "/x" (nothing is above a root)
///   ../x.txt              => invalid: a path may not start with ".."
///   ./../x.txt            => valid, AsString "../x.txt"
///   C:x.txt, a/b?c/d.txt  => invalid: a forbidden character (< > : " / \ | ? *)
///                            in a name, or a colon outside a drive root
///   a/b/..                => a directory: AsString "a" (a last component of
///                            "." or ".." is a directory, not a file name)
/// @endcode
///
/// Text is treated as bytes: UTF-8 passes through unchanged.
#pragma once

#include <Vexir/VexirExport.h>

#include <string>
#include <vector>

namespace Vexir {

/// A parsed, normalised file path; see Path.h for the rules and examples.
///
/// A refused text leaves the path refused: it keeps only what was read before
/// the fault, which is not the path that was meant, so it stays invalid
/// through every setter and Concatenate until Set (or an assignment) gives it
/// a new path. The setters store what they are given and refuse what Set
/// would refuse (a forbidden character; for SetRoot, anything but a root).
/// Apart from a refusal, a setter judges validity by the leading ".." rule
/// alone, anew each time.
class VEXIR_API Path {
public:
    /// An empty path, not valid.
    Path();
    /// Parses the text; an empty text gives a valid, empty path.
    explicit Path(const std::string& text);
    /// A copy of the other path.
    Path(const Path&) = default;
    /// Makes this path a copy of the other.
    Path& operator=(const Path&) = default;
    ~Path() = default;

    /// Parses `text` into this path, replacing all of it (an earlier refusal
    /// included). A text that is refused leaves IsValid false until the next
    /// Set, and the accessors then return whatever was read before the fault.
    void Set(const std::string& text);
    /// Stores the root exactly as given (no separator conversion): "", "/",
    /// "C:", "C:/", "//server/" or "//server". Anything else refuses the path.
    void SetRoot(const std::string& root);
    /// Replaces the directories; separators of either kind split them and empty
    /// pieces are dropped: "\\a//b\\" gives the two directories a and b. A
    /// forbidden character in a directory refuses the path.
    void SetDirectories(const std::string& directories);
    /// Drops the dots the name ends in, then splits at the last dot into stem
    /// and extension: "a.b." gives stem "a", extension "b". A forbidden
    /// character, separators included, refuses the path.
    void SetFilename(const std::string& filename);
    /// Replaces the file name's stem (the text before the extension's dot); a
    /// forbidden character refuses the path.
    void SetStem(const std::string& stem);
    /// Replaces the extension, given without the dot; a forbidden character
    /// refuses the path.
    void SetExtension(const std::string& extension);
    /// Back to the empty, invalid path.
    void Clear();

    /// Appends a relative path to a directory path: "C:/data/" + "tex/wood.png"
    /// gives "C:/data/tex/wood.png". Refused (false, nothing changes) when this
    /// path has a file name, `relative` has a root, or either was refused. A
    /// `relative` that is invalid only for its leading ".." is appended
    /// ("C:/data/" + "../x" gives "C:/x").
    bool Concatenate(const Path& relative);

    /// "C:/", "/" or "//server/"; empty for a relative path.
    const std::string& Root() const { return _sRoot; }
    /// The normalised directories joined by "/", with no separator at either
    /// end: "data/tex".
    const std::string& Directories() const { return _sDirectories; }
    /// Stem and extension with the dot between them ("wood.png"); empty for a
    /// directory.
    const std::string& Filename() const { return _sFilename; }
    /// The file name without its extension and dot.
    const std::string& Stem() const { return _sStem; }
    /// The text after the file name's last dot, without the dot.
    const std::string& Extension() const { return _sExtension; }
    /// Root and directories: the path without its file name ("C:/data/tex").
    const std::string& ParentPath() const { return _sParentPath; }
    /// The whole path, rebuilt with "/" separators.
    const std::string& AsString() const { return _sFullPath; }
    /// AsString() as a C string.
    /// Valid until the path next changes or is destroyed.
    const char* AsChar() const { return _sFullPath.c_str(); }

    /// True when the path has no file name (the empty path included).
    bool IsDirectory() const { return _sFilename.empty(); }
    /// True when the path has no root.
    bool IsRelative() const { return _sRoot.empty(); }
    /// False for the default path, a refused path (see the class) and a path
    /// whose first directory, as given, is ".." ("./../x" is valid).
    bool IsValid() const { return _bValid; }

    /// h = h * 53 + byte over the rebuilt text, bytes taken as signed, wrapping at
    /// 32 bits: "abc" hashes to 277766, the empty path to 0. Case-sensitive.
    unsigned int Hash() const;

private:
    bool Parse(const std::string& text);
    static void Tokenize(const std::string& text, const std::string& delimiters, std::vector<std::string>& out);
    void Update();

    std::string _sRoot;
    std::vector<std::string> _lTokens;
    std::string _sStem;
    std::string _sExtension;
    std::string _sFullPath;
    std::string _sParentPath;
    std::string _sDirectories;
    std::string _sFilename;
    bool _bValid;
    bool _bRefused;  // a refused text or setter; cleared only by a new text
};

}  // namespace Vexir
