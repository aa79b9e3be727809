// Console_File: appends every message that passes the manager's threshold to a
// log file, as stamped text lines or as an HTML page with one coloured line per
// message. The file opens (truncated, with a header) at the first such message,
// in the file manager's write-text mode, with the settings of that moment.
// Each line is written and flushed at once, so a process that dies loses
// nothing it logged. Runs under the manager's lock.
//
// A file that cannot be opened (a missing directory, no permission) is not
// lost in silence: the first failure says why in one Warning to the other
// consoles, the interface tells whether the file is open and the last error,
// the dropped messages are counted and the count is the file's first line once
// it opens. Opening is tried again at most once a second.
//
// The HTML page declares itself UTF-8, and the message text and title are
// escaped, so that markup in a message is shown rather than obeyed.
//
// A full disk loses messages, never the lines after it: the stream is
// unbuffered, so what did not fit is not kept to be glued to a later line. When
// writing works again, a line cut short is ended first, and a Warning says how
// many messages were lost ("Log file: 3 messages could not be written"). Every
// message ends its line, also one with line feeds inside.
//
// The console keeps its stream to itself rather than in the file manager's
// table: a host that closes every managed file, or a file manager torn down
// before the console manager, must not pull the log from under a message that
// is still to come.
#pragma once

#include <Vexir/Console.h>
#include <Vexir/Files.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace Vexir {

class Console_File : public IConsole {
public:
    explicit Console_File(IMgrConsole* manager);
    ~Console_File() override;
    Console_File(const Console_File&) = delete;
    Console_File& operator=(const Console_File&) = delete;

    InterfaceBase* GetInterface(int type) override;
    void Output(MessageKind kind, VerbosityLevel level, const char* text) override;

private:
    class FileInterface : public IFileConsoleInterface {
    public:
        explicit FileInterface(Console_File* console) : _pConsole(console) {}
        int GetInterfaceType() override { return File; }
        void SetDirectory(const std::string& directory) override { _pConsole->_sDirectory = directory; }
        void SetFileName(const std::string& fileName) override { _pConsole->_sFileName = fileName; }
        void SetFormat(int format) override { _pConsole->_eFormat = format; }
        void SetTitle(const std::string& title) override { _pConsole->_sTitle = title; }
        bool IsFileOpen() override { return _pConsole->_pFile != nullptr; }
        int GetLastOpenError() override { return _pConsole->_iOpenError; }

    private:
        Console_File* _pConsole;
    };

    bool IsHtml() const { return _bHtml; }
    bool EnsureOpen();
    bool TryOpen(const std::string& path);
    void ReportOpenFailure(const std::string& path);
    void UpdateStamps();
    void AppendLine(MessageKind kind, VerbosityLevel level, const char* text);
    // Writes `text` (whole lines) after what the last failures left to say;
    // a message's line that does not reach the file whole counts as lost.
    void WriteLines(const std::string& text, bool message);

    FileInterface* _pFileInterface;
    int _iDepth;
    std::string _sDirectory;
    std::string _sFileName;
    std::string _sTitle;
    int _eFormat;
    bool _bHtml;  // the format of the open file, fixed when it opened
    std::FILE* _pFile;
    // While the file cannot be opened: the system's error, the messages
    // dropped, when opening was last tried (steady-clock milliseconds), and
    // whether the other consoles have been told.
    int _iOpenError;
    unsigned long long _uDropped;
    long long _iLastAttempt;
    bool _bTried;
    bool _bFailureReported;
    bool _bReporting;
    // Messages lost since the last write that worked, and whether the file
    // ends inside a line a failed write began.
    unsigned long long _uLost;
    bool _bLineCut;

    // The stamps of the second they were made for; a line is mostly written
    // in the same second as the one before it.
    std::time_t _tStampedAt;
    std::string _sDate;
    std::string _sTime;
    std::string _sLine;
};

}  // namespace Vexir
