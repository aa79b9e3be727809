// The assert dialogs on Linux: shown by the UI module on its thread while
// the asserting thread waits. Where no dialog can be shown, the assertion is
// still told on standard error and the answer is the failed dialog's (-1).
#include <Vexir/Assert.h>

#include <cstdio>
#include <string>

#include "Assert/AssertDialogText.h"
#include "Assert/CallStack_Posix.h"
#include "Foundation/StandardStreams.h"
#include "Foundation/UiModule.h"

namespace Vexir {

namespace {

const int kNotShown = -1;

class MinidumpWriter final : public ui::AssertDialogHost {
public:
    explicit MinidumpWriter(AssertThreadInfo& info) : _info(info) {}

    bool CreateMinidump(bool fullDump, std::string& text) override
    {
        _info.minidump.clear();
        const bool created = WriteMinidump(_info, fullDump);
        text = _info.minidump;
        return created;
    }

private:
    AssertThreadInfo& _info;
};

const char* OrEmpty(const char* text) { return text ? text : ""; }

int ShowDialog(ui::AssertDialogContent& content, AssertDialogData& data, AssertThreadInfo& info)
{
    std::string whyNot;
    const ui::Module* module = ui::LoadModule(whyNot);
    if (module && !module->Available(whyNot))
        module = nullptr;
    int answer = kNotShown;
    if (module) {
        MinidumpWriter writer(info);
        answer = module->AssertDialog(content, &writer);
        if (answer == kNotShown)
            whyNot = "the dialog went with the display";
    }
    if (answer == kNotShown) {
        const std::string report =
            "Assertion failed (no assert dialog: " + whyNot + "): " + BuildAssertText(data, false);
        WriteStandardError(report);
    }
    return answer;
}

}  // namespace

int AssertHandler_BasicWin::HandleAssert(const char* expression, int line, const char* file, const char* message)
{
    AssertThreadInfo info;
    AssertDialogData data = SiteData(expression, line, file, message);
    ui::AssertDialogContent content;
    content.owner = reinterpret_cast<unsigned long>(_hParent);
    content.text = BuildAssertText(data, false);
    content.copyText = content.text;
    return ShowDialog(content, data, info);
}

int AssertHandler_AdvancedWin::HandleAssert(const char* expression, int line, const char* file, const char* message)
{
    AssertThreadInfo info;
    AssertDialogData data = SiteData(expression, line, file, message);
    data.threadInfo = &info;
    data.parent = _hParent;
    // The asserting thread is this one, stopped here until the user answers:
    // its own stack is the one to show.
    info.callStack = CallStackOfThisThread();
    info.callStackCollected = true;
    ui::AssertDialogContent content;
    content.advanced = true;
    content.message = OrEmpty(message);
    content.expression = OrEmpty(expression);
    content.file = OrEmpty(file);
    content.line = std::to_string(line);
    content.callStack = info.callStack;
    content.copyText = AdvancedCopyText(data);
    return ShowDialog(content, data, info);
}

}  // namespace Vexir
