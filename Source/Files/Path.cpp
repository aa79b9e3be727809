#include <Vexir/Path.h>

#include <string_view>

namespace Vexir {

namespace {

const char* const kSeparators = "\\/";
const char kSeparator = '/';

// What each byte is to the parser: a separator, a character Windows forbids in
// names (< > : " / \ | ? * and the control characters, NUL among them, which
// would also cut the text short where it is handed on as a C string), or
// neither. Bytes of 0x80 and above are neither.
enum ByteClass : unsigned char { Plain = 0, Forbidden = 1, Separator = 2 };

struct ByteClasses {
    unsigned char of[256] = {};
    constexpr ByteClasses()
    {
        for (unsigned char c : {'<', '>', ':', '"', '|', '?', '*'})
            of[c] = Forbidden;
        for (unsigned c = 0; c < 32; ++c)
            of[c] = Forbidden;
        of[static_cast<unsigned char>('/')] = Forbidden | Separator;
        of[static_cast<unsigned char>('\\')] = Forbidden | Separator;
    }
};
constexpr ByteClasses kClasses;

bool IsSeparator(char c) { return kClasses.of[static_cast<unsigned char>(c)] & Separator; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HasForbidden(std::string_view text)
{
    for (char c : text)
        if (kClasses.of[static_cast<unsigned char>(c)] & Forbidden)
            return true;
    return false;
}

// A root as SetRoot may store it: empty, one separator, a drive letter and
// its colon with or without a separator, or a server's name between two
// separators and one (which may be left out).
bool IsRootForm(std::string_view root)
{
    if (root.size() <= 1)
        return root.empty() || IsSeparator(root[0]);
    if (IsAsciiLetter(root[0]) && root[1] == ':')
        return root.size() == 2 || (root.size() == 3 && IsSeparator(root[2]));
    if (!IsSeparator(root[0]) || !IsSeparator(root[1]))
        return false;
    std::string_view server = root.substr(2);
    if (!server.empty() && IsSeparator(server.back()))
        server.remove_suffix(1);
    return !server.empty() && !HasForbidden(server);
}

std::size_t NextSeparator(const std::string& text, std::size_t from)
{
    for (std::size_t i = from; i < text.size(); ++i)
        if (IsSeparator(text[i]))
            return i;
    return std::string::npos;
}

// Dots that end a name are dropped, as Windows drops them: "name.." is "name",
// and "a.b." is stem "a", extension "b". Otherwise the rebuilt text would read
// back as a different name.
std::string_view WithoutFinalDots(std::string_view name)
{
    while (!name.empty() && name.back() == '.')
        name.remove_suffix(1);
    return name;
}

// A directory as the path keeps it: "." and ".." as they are, any other name
// of dots alone as ".", others without their final dots.
std::string_view DirectoryName(std::string_view name)
{
    if (name.empty() || name == "..")
        return name;
    const std::string_view kept = WithoutFinalDots(name);
    return kept.empty() ? std::string_view(".") : kept;
}

void SplitFilename(std::string_view name, std::string& stem, std::string& extension)
{
    name = WithoutFinalDots(name);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        stem.assign(name.data(), name.size());
        extension.clear();
    } else {
        stem.assign(name.data(), dot);
        extension.assign(name.data() + dot + 1, name.size() - dot - 1);
    }
}

// Collects the normalised directories, as views of the stored tokens, without
// allocating for the usual depths.
class NormalisedDirectories {
public:
    void Push(std::string_view token)
    {
        if (_uCount < kInline)
            _aInline[_uCount] = token;
        else
            _lOverflow.push_back(token);
        ++_uCount;
    }
    void Pop()
    {
        --_uCount;
        if (_uCount >= kInline)
            _lOverflow.pop_back();
    }
    bool Empty() const { return _uCount == 0; }
    std::string_view Last() const { return At(_uCount - 1); }
    std::size_t Size() const { return _uCount; }
    std::string_view At(std::size_t i) const { return i < kInline ? _aInline[i] : _lOverflow[i - kInline]; }

private:
    static const std::size_t kInline = 32;
    std::string_view _aInline[kInline];
    std::vector<std::string_view> _lOverflow;
    std::size_t _uCount = 0;
};

}  // namespace

Path::Path() : _bValid(false), _bRefused(false) {}

Path::Path(const std::string& text) : _bValid(false), _bRefused(false) { Set(text); }

// A refused text keeps only what came before its fault, which is not the path
// that was meant; the refusal lasts until a new text, whatever the setters
// rebuild in the meantime, and each setter refuses what Set would.
void Path::Set(const std::string& text)
{
    _bRefused = !Parse(text);
    Update();
}

void Path::SetRoot(const std::string& root)
{
    _bRefused |= !IsRootForm(root);
    _sRoot = root;
    Update();
}

void Path::SetDirectories(const std::string& directories)
{
    Tokenize(directories, kSeparators, _lTokens);
    for (const std::string& token : _lTokens)
        _bRefused |= HasForbidden(token);
    Update();
}

void Path::SetFilename(const std::string& filename)
{
    _bRefused |= HasForbidden(filename);
    SplitFilename(filename, _sStem, _sExtension);
    Update();
}

void Path::SetStem(const std::string& stem)
{
    _bRefused |= HasForbidden(stem);
    _sStem = stem;
    Update();
}

void Path::SetExtension(const std::string& extension)
{
    _bRefused |= HasForbidden(extension);
    _sExtension = extension;
    Update();
}

void Path::Clear() { *this = Path(); }

bool Path::Concatenate(const Path& relative)
{
    if (!IsDirectory() || !relative.IsRelative() || _bRefused || relative._bRefused)
        return false;
    if (&relative == this)
        return Concatenate(Path(relative));
    _lTokens.insert(_lTokens.end(), relative._lTokens.begin(), relative._lTokens.end());
    _sStem = relative._sStem;
    _sExtension = relative._sExtension;
    Update();
    return true;
}

unsigned int Path::Hash() const
{
    unsigned int hash = 0;
    for (char c : _sFullPath) {
        if (c == '\0')
            break;
        hash = hash * 53u + static_cast<unsigned int>(static_cast<int>(static_cast<signed char>(c)));
    }
    return hash;
}

bool Path::Parse(const std::string& text)
{
    _sRoot.clear();
    _lTokens.clear();
    _sStem.clear();
    _sExtension.clear();
    if (text.empty())
        return true;

    // The root and where the components begin.
    std::size_t position = 0;
    if (IsSeparator(text[0])) {
        if (text.size() >= 3 && IsSeparator(text[1]) && !IsSeparator(text[2])) {
            const std::size_t end = NextSeparator(text, 2);
            if (end == std::string::npos)
                return false;
            const std::string_view server(text.data() + 2, end - 2);
            if (HasForbidden(server))
                return false;
            _sRoot.assign("//").append(server.data(), server.size()).push_back(kSeparator);
            position = end + 1;
        } else {
            _sRoot.assign(1, kSeparator);
            position = 1;
        }
    } else if (text.size() >= 3 && IsAsciiLetter(text[0]) && text[1] == ':' && IsSeparator(text[2])) {
        _sRoot.assign(text, 0, 2).push_back(kSeparator);
        position = 3;
    }

    // The directory tokens, then the file name.
    for (;;) {
        const std::size_t end = NextSeparator(text, position);
        if (end == std::string::npos)
            break;
        const std::string_view token(text.data() + position, end - position);
        if (HasForbidden(token))
            return false;
        _lTokens.emplace_back(DirectoryName(token));
        position = end + 1;
    }
    if (position >= text.size())
        return true;
    const std::string_view name(text.data() + position, text.size() - position);
    if (HasForbidden(name))
        return false;
    // A last name of dots alone names a directory, as it does anywhere else.
    if (name.find_first_not_of('.') == std::string_view::npos)
        _lTokens.emplace_back(DirectoryName(name));
    else
        SplitFilename(name, _sStem, _sExtension);
    return true;
}

void Path::Tokenize(const std::string& text, const std::string& delimiters, std::vector<std::string>& out)
{
    out.clear();
    std::size_t start = text.find_first_not_of(delimiters);
    while (start != std::string::npos) {
        const std::size_t end = text.find_first_of(delimiters, start);
        out.emplace_back(text, start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? end : text.find_first_not_of(delimiters, end);
    }
}

void Path::Update()
{
    NormalisedDirectories directories;
    for (std::size_t i = 0; i < _lTokens.size(); ++i) {
        const std::string& token = _lTokens[i];
        if (token.empty() || token == ".")
            continue;
        if (token == ".." && !directories.Empty() && directories.Last() != "..")
            directories.Pop();
        else if (token == ".." && directories.Empty() && !_sRoot.empty() && i > 0)
            continue;  // nothing is above a root: "/a/../.." is "/" (a leading ".." stays, to show why it is invalid)
        else
            directories.Push(token);
    }

    _sDirectories.clear();
    for (std::size_t i = 0; i < directories.Size(); ++i) {
        if (i > 0)
            _sDirectories.push_back(kSeparator);
        _sDirectories.append(directories.At(i));
    }

    _sFilename.assign(_sStem);
    if (!_sExtension.empty())
        _sFilename.append(1, '.').append(_sExtension);

    _sParentPath.assign(_sRoot).append(_sDirectories);

    _sFullPath.assign(_sParentPath);
    if (!_sFilename.empty()) {
        if (!_sFullPath.empty() && _sFullPath.back() != kSeparator)
            _sFullPath.push_back(kSeparator);
        _sFullPath.append(_sFilename);
    }

    _bValid = !_bRefused && (_lTokens.empty() || _lTokens.front() != "..");
}

}  // namespace Vexir
