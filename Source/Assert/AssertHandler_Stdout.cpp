// The text handler: a report block on standard output and a one-letter answer
// read from standard input.
#include <Vexir/Assert.h>

#include <iomanip>
#include <iostream>

namespace Vexir {

namespace {

const char* const kClosingRule = "================================================";

void WriteField(const char* label, const char* value)
{
    if (value && *value)
        std::cout << std::setw(10) << label << " : " << value << std::endl;
}

void WriteReport(const char* expression, int line, const char* file, const char* message)
{
    std::cout << std::endl;
    std::cout << "=================== ASSERT =====================" << std::endl;
    WriteField("Message", message);
    WriteField("Expression", expression);
    WriteField("File", file);
    std::cout << std::setw(10) << "Line" << " : " << line << std::endl;
    std::cout << "------------------------------------------------" << std::endl;
    std::cout << "(I)gnore    (A)lways Ignore    (B)reak" << std::endl;
}

int AnswerFor(char letter)
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

int AskUntilAnswered()
{
    for (;;) {
        std::cout << "Choose [ I | A | B ]: " << std::flush;
        char letter = 0;
        // Formatted input skips blanks and line ends and takes one character;
        // the rest of the line stays for the next read.
        if (!(std::cin >> letter)) {
            std::cout << std::endl;
            return Ignore;
        }
        const int answer = AnswerFor(letter);
        if (answer >= 0)
            return answer;
        std::cout << "Incorrect input. Try again..." << std::endl;
    }
}

}  // namespace

int AssertHandler_Stdout::HandleAssert(const char* expression, int line, const char* file, const char* message)
{
    WriteReport(expression, line, file, message);
    const int answer = AskUntilAnswered();
    std::cout << kClosingRule << std::endl << std::endl;
    return answer;
}

}  // namespace Vexir
