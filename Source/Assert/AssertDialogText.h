// What the assert dialogs show and copy, the same on every platform.
#pragma once

#include <Vexir/Platform.h>

#include <string>

namespace Vexir {

// The advanced dialog's findings: the call stack, collected before the dialog
// opens, and the last minidump attempt.
struct AssertThreadInfo {
    std::string callStack;
    std::string minidump;  // the dump's path, or why there is none
    bool callStackCollected = false;
    bool minidumpCreated = false;
};

// One assertion, for the time its dialog is open.
struct AssertDialogData {
    std::string text;
    const char* message = nullptr;  // may be null
    const char* expression = nullptr;
    int line = 0;
    const char* file = nullptr;
    AssertThreadInfo* threadInfo = nullptr;  // the advanced dialog's only
    NativeWindowHandle parent = nullptr;
};

// The data of one assertion, as HandleAssert was given it.
AssertDialogData SiteData(const char* expression, int line, const char* file, const char* message);

// "\"message\"\n\nExpression: \"expression\"\nFile: file\nLine: line\n", the
// first two paragraphs only when there is a message or an expression. Stored
// in data.text; with `forDisplay`, in the Windows edit control's "\r\n" form.
const std::string& BuildAssertText(AssertDialogData& data, bool forDisplay);

// Every "\n" becomes "\r\n"; an existing "\r\n" becomes "\r\r\n".
std::string ToCrLf(const std::string& text);

// What the advanced dialog's Copy Text copies: the text, then the call stack
// when one was collected.
std::string AdvancedCopyText(AssertDialogData& data);

// Writes a dump of this process into the temporary directory. On success
// info.minidump is the dump's path; on failure it is why, as the dialog shows
// it. Any earlier dump of the same name is replaced.
bool WriteMinidump(AssertThreadInfo& info, bool fullDump);

extern const char kCollectingCallStack[];  // shown while the stack is collected

}  // namespace Vexir
