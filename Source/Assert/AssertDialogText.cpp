#include "Assert/AssertDialogText.h"

namespace Vexir {

const char kCollectingCallStack[] = "Collecting Call Stack Data, please wait...";

AssertDialogData SiteData(const char* expression, int line, const char* file, const char* message)
{
    AssertDialogData data;
    data.message = message;
    data.expression = expression;
    data.line = line;
    data.file = file;
    return data;
}

const std::string& BuildAssertText(AssertDialogData& data, bool forDisplay)
{
    std::string text;
    if (data.message && *data.message)
        text += "\"" + std::string(data.message) + "\"\n\n";
    if (data.expression && *data.expression)
        text += "Expression: \"" + std::string(data.expression) + "\"\n";
    text += "File: " + std::string(data.file ? data.file : "") + "\n";
    text += "Line: " + std::to_string(data.line) + "\n";
    data.text = forDisplay ? ToCrLf(text) : text;
    return data.text;
}

std::string ToCrLf(const std::string& text)
{
    std::string result;
    result.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            result += '\r';
        result += c;
    }
    return result;
}

std::string AdvancedCopyText(AssertDialogData& data)
{
    std::string text = BuildAssertText(data, false);
    if (data.threadInfo && data.threadInfo->callStackCollected)
        text += "\n\nCall Stack\n" + data.threadInfo->callStack;
    return text;
}

}  // namespace Vexir
