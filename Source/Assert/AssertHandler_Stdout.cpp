// The text handler: a report block on standard output and a one-letter answer
// read from standard input.
#include <Vexir/Assert.h>

#include <iomanip>
#include <iostream>
#include <locale>

namespace Vexir {

namespace {

const char* const kClosingRule = "================================================";

// The host may have left the standard streams in any state (hexadecimal, a
// fill character, no skipping of blanks, a locale that groups digits). The
// report and the answer use the streams' defaults, and the host gets its own
// state back afterwards.
class DefaultStreamState {
public:
    explicit DefaultStreamState(std::ios& stream)
        : _rStream(stream), _eFlags(stream.flags()), _cFill(stream.fill()), _iPrecision(stream.precision()),
          _iWidth(stream.width()), _lLocale(stream.imbue(std::locale::classic()))
    {
        stream.flags(std::ios_base::dec | std::ios_base::skipws);
        stream.fill(stream.widen(' '));
        stream.precision(6);
        stream.width(0);
    }
    ~DefaultStreamState()
    {
        _rStream.imbue(_lLocale);
        _rStream.flags(_eFlags);
        _rStream.fill(_cFill);
        _rStream.precision(_iPrecision);
        _rStream.width(_iWidth);
    }
    DefaultStreamState(const DefaultStreamState&) = delete;
    DefaultStreamState& operator=(const DefaultStreamState&) = delete;

private:
    std::ios& _rStream;
    std::ios_base::fmtflags _eFlags;
    char _cFill;
    std::streamsize _iPrecision;
    std::streamsize _iWidth;
    std::locale _lLocale;
};

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
    const DefaultStreamState output(std::cout);
    const DefaultStreamState input(std::cin);
    WriteReport(expression, line, file, message);
    const int answer = AskUntilAnswered();
    std::cout << kClosingRule << std::endl << std::endl;
    return answer;
}

}  // namespace Vexir
