// The text handler: a report block on standard output and a one-letter answer
// read from standard input, when there is a person to give it.
//
// The host's streams stay as the host left them: the report goes through
// std::cout's buffer and the answer comes through std::cin's, so no flag, fill,
// locale, exception mask or error state of theirs is read or changed (see
// StandardStreams.h). A standard input that is a pipe or a file holds the
// host's data and is never read: the report then says the answer is Ignore.
#include <Vexir/Assert.h>

#include <Vexir/Sync.h>

#include <string>

#include "Assert/AssertPlatform.h"
#include "Foundation/AutoMutexLock.h"
#include "Foundation/ForkSafety.h"
#include "Foundation/StandardStreams.h"

namespace Vexir {

namespace {

const char kRule[] = "------------------------------------------------\n";
const char kClosingRule[] = "================================================\n\n";
const char kPrompt[] = "Choose [ I | A | B ]: ";
const char kRetry[] = "Incorrect input. Try again...\n";
const char kNoDebugger[] = "No debugger is attached: going on as with Ignore.\n";

// One report at a time: two threads asserting at once would otherwise mix
// their blocks and take each other's answers. Never destroyed, so an assertion
// during exit finds it; a forked child gets it free, as the thread holding it
// (waiting for a person, perhaps) did not come with it.
Mutex& PromptLock()
{
    static Mutex* const s_pLock = [] {
        auto* lock = new Mutex;
        RenewAfterFork(lock);
        return lock;
    }();
    return *s_pLock;
}

void AppendField(std::string& report, const char* label, const char* value)
{
    const std::string name(label);
    report.append(name.size() < 10 ? 10 - name.size() : 0, ' ').append(name).append(" : ").append(value).append("\n");
}

std::string Report(const char* expression, int line, const char* file, const char* message)
{
    std::string report = "\n=================== ASSERT =====================\n";
    if (message && *message)
        AppendField(report, "Message", message);
    if (expression && *expression)
        AppendField(report, "Expression", expression);
    if (file && *file)
        AppendField(report, "File", file);
    AppendField(report, "Line", std::to_string(line).c_str());
    report.append(kRule).append("(I)gnore    (A)lways Ignore    (B)reak\n");
    return report;
}

void Write(const std::string& text) { WriteStandardOutput(text.data(), text.size(), true); }

int AnswerFor(int letter)
{
    switch (letter) {
    case 'I':
    case 'i':
        return Ignore;
    case 'A':
    case 'a':
        return IgnoreAlways;
    case 'B':
    case 'b':
        return Break;
    default:
        return -1;
    }
}

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// As formatted input takes one character: blanks and line ends are skipped, and
// the rest of the line stays for the next read. The end of input answers Ignore.
int AskUntilAnswered()
{
    for (;;) {
        Write(kPrompt);
        int letter = ReadStandardInputCharacter();
        while (IsBlank(letter))
            letter = ReadStandardInputCharacter();
        if (letter < 0) {
            Write("\n");
            return Ignore;
        }
        const int answer = AnswerFor(letter);
        if (answer >= 0)
            return answer;
        Write(kRetry);
    }
}

}  // namespace

int AssertHandler_Stdout::HandleAssert(const char* expression, int line, const char* file, const char* message)
{
    const AutoMutexLock oneAtATime(&PromptLock());
    const std::string report = Report(expression, line, file, message);
    if (const char* whyNot = WhyNoAnswerCanBeAsked()) {
        Write(report + whyNot + ": the answer is Ignore.\n" + kClosingRule);
        return Ignore;
    }
    Write(report);
    int answer = AskUntilAnswered();
    std::string closing;
    if (answer == Break && !DebuggerAttached()) {
        closing = kNoDebugger;
        answer = Ignore;
    }
    Write(closing + kClosingRule);
    return answer;
}

}  // namespace Vexir
