#include "Console/Console_File.h"

#include <Vexir/Assert.h>
#include <Vexir/Utf8Util.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>

#include "Files/FileSystem.h"
#include "Foundation/LocalTime.h"

namespace Vexir {

namespace {

const char* TextMark(int level)
{
    static const char* const kMarks[] = {"[E] ", "[W] ", "[I] ", "[V] ", "[D] "};
    return level >= 1 && level <= 5 ? kMarks[level - 1] : "[U]";
}

const char* ColourTag(int level)
{
    static const char* const kTags[] = {"<font color=#FF0000>", "<font color=#FF00FF>", "<font color=#005000>",
                                        "<font color=#303030>", "<font color=#808080>"};
    return level >= 1 && level <= 5 ? kTags[level - 1] : nullptr;
}

// Text as a page shows it: markup characters become entities, so that a
// message holding "a < b" or a peer's "<script>" is read, never run. Attribute
// text (the title) escapes the double quote too.
void AppendEscaped(std::string& page, const char* text, bool attribute)
{
    for (; *text; ++text) {
        switch (*text) {
        case '&':
            page.append("&amp;");
            break;
        case '<':
            page.append("&lt;");
            break;
        case '>':
            page.append("&gt;");
            break;
        case '"':
            page.append(attribute ? "&quot;" : "\"");
            break;
        default:
            page.push_back(*text);
        }
    }
}

// How much of the text reached the file; an unbuffered stream keeps no rest.
std::size_t Write(std::FILE* file, const std::string& text)
{
    const std::size_t written = std::fwrite(text.data(), 1, text.size(), file);
    if (written != text.size())
        std::clearerr(file);
    return written;
}

std::string Format(const std::tm& moment, const char* format)
{
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &moment);
    return std::string(text, length);
}

}  // namespace

Console_File::Console_File(IMgrConsole* manager)
    : _pFileInterface(new (std::nothrow) FileInterface(this)),
      _iDepth(0),
      _sFileName("VexirLog.txt"),
      _sTitle("Vexir Log"),
      _eFormat(IFileConsoleInterface::Text),
      _bHtml(false),
      _pFile(nullptr),
      _iOpenError(0),
      _uDropped(0),
      _iLastAttempt(0),
      _bTried(false),
      _bFailureReported(false),
      _bReporting(false),
      _uLost(0),
      _bLineCut(false),
      _tStampedAt(-1)
{
    CORE_ASSERT_MSG(_pFileInterface != NULL, "Failed to create Console_File::FileInterface");
}

Console_File::~Console_File()
{
    delete _pFileInterface;
    if (_pFile)
        std::fclose(_pFile);
    _pFile = nullptr;
}

InterfaceBase* Console_File::GetInterface(int type)
{
    return type == InterfaceBase::File ? _pFileInterface : nullptr;
}

void Console_File::UpdateStamps()
{
    const std::time_t now = std::time(nullptr);
    if (now == _tStampedAt)
        return;
    const std::tm local = LocalTime(now);
    _sDate = Format(local, "%a, %d %b %Y");
    _sTime = Format(local, "%H:%M:%S");
    _tStampedAt = now;
}

namespace {

long long SteadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool Console_File::TryOpen(const std::string& path)
{
    errno = 0;
    try {
        _pFile = OpenStream(path.c_str(), IMgrFiles::WriteText);
    } catch (const utf8util::utf8_conversion_error&) {
        // A name that is not UTF-8 names no file; logging must not throw.
        _pFile = nullptr;
        errno = EILSEQ;
    }
    _iOpenError = _pFile ? 0 : (errno ? errno : EINVAL);
    return _pFile != nullptr;
}

// Said once, to the consoles that are working; this console drops it, as it
// drops every message while it cannot open.
void Console_File::ReportOpenFailure(const std::string& path)
{
    _bFailureReported = true;
    IMgrConsole* manager = GetMgrConsole();
    if (!manager)
        return;
    _bReporting = true;
    manager->PrintWarning("Log file \"%s\" cannot be opened (%s); its messages are dropped until it can\n",
                          path.c_str(), std::strerror(_iOpenError));
    _bReporting = false;
}

bool Console_File::EnsureOpen()
{
    if (_pFile)
        return true;
    const long long now = SteadyMilliseconds();
    if (_bTried && now - _iLastAttempt < 1000)
        return false;
    _bTried = true;
    _iLastAttempt = now;
    const std::string path = _sDirectory.empty() ? _sFileName : _sDirectory + "/" + _sFileName;
    if (!TryOpen(path)) {
        if (!_bFailureReported)
            ReportOpenFailure(path);
        return false;
    }
    std::setvbuf(_pFile, nullptr, _IONBF, 0);
    _uLost = 0;
    _bLineCut = false;
    _bHtml = _eFormat == IFileConsoleInterface::Html;

    UpdateStamps();
    std::string header;
    if (IsHtml()) {
        header = "<html><head><meta charset=\"utf-8\"><title>";
        AppendEscaped(header, _sTitle.c_str(), true);
        header += "</title></head><body><h2>\nSession started: " + _sDate + " | " + _sTime + "\n</h2>\n";
    }
    else
        header = "[" + _sTime + "]  [H] Session started: " + _sDate + "\n";
    WriteLines(header, false);
    if (_uDropped > 0) {
        const std::string notice = "Log file: " + std::to_string(_uDropped) +
                                   (_uDropped == 1 ? " message was" : " messages were") +
                                   " dropped while the file could not be opened";
        AppendLine(Normal, Warning, notice.c_str());
        WriteLines(_sLine, false);
        _uDropped = 0;
    }
    return true;
}

// Every write ends in a line feed. A write that lacks only that is as good as
// whole: the next write ends the line before anything else.
void Console_File::WriteLines(const std::string& text, bool message)
{
    if (_uLost == 0 && !_bLineCut) {
        const std::size_t written = Write(_pFile, text);
        if (written + 1 < text.size())
            _uLost = message ? 1 : 0;
        _bLineCut = written != text.size() && written > 0;
        return;
    }
    // After a failure: end the cut line, say what was lost, then the text (a
    // copy, as the notice is made where the text may be).
    const std::string lines = text;
    const std::size_t ending = _bLineCut ? 1 : 0;
    std::string prefix(ending, '\n');
    if (_uLost > 0) {
        const std::string warning = "Log file: " + std::to_string(_uLost) +
                                    (_uLost == 1 ? " message" : " messages") + " could not be written";
        AppendLine(Normal, Warning, warning.c_str());
        prefix += _sLine;
    }
    const std::size_t total = prefix.size() + lines.size();
    const std::size_t written = Write(_pFile, prefix + lines);
    if (written + 1 >= total) {
        _uLost = 0;
        _bLineCut = written != total;
    } else if (written + 1 >= prefix.size()) {
        // The notice went out; this message did not.
        _uLost = message ? 1 : 0;
        _bLineCut = written != prefix.size();
    } else {
        _uLost += message ? 1 : 0;
        if (written > 0)
            _bLineCut = written > ending;
    }
}

void Console_File::AppendLine(MessageKind kind, VerbosityLevel level, const char* text)
{
    _sLine.assign("[").append(_sTime).append("]  ");
    const char* tag = IsHtml() ? ColourTag(level) : nullptr;
    if (IsHtml()) {
        if (tag)
            _sLine.append(tag);
    } else {
        _sLine.append(TextMark(level));
    }
    for (int i = 0; i < _iDepth; ++i)
        _sLine.append(IsHtml() ? "&emsp;" : "\t");
    if (kind == BlockBegin)
        ++_iDepth;
    else if (kind == BlockEnd)
        --_iDepth;
    if (IsHtml())
        AppendEscaped(_sLine, text, false);
    else
        _sLine.append(text);
    if (IsHtml()) {
        if (tag)
            _sLine.append("</font>");
        _sLine.append("<br>\n");
    } else if (!*text || text[std::strlen(text) - 1] != '\n') {
        _sLine.push_back('\n');  // a text with inner line feeds still ends its line
    }
}

void Console_File::Output(MessageKind kind, VerbosityLevel level, const char* text)
{
    IMgrConsole* manager = GetMgrConsole();
    if (_bReporting || (manager && static_cast<int>(level) > static_cast<int>(manager->GetVerbosity())))
        return;
    if (!EnsureOpen()) {
        ++_uDropped;
        return;
    }
    UpdateStamps();
    AppendLine(kind, level, text ? text : "");
    WriteLines(_sLine, true);
}

}  // namespace Vexir
