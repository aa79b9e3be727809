// Linux: the C library's vswprintf, with the calling thread alone switched to a
// UTF-8 character type for the call, so narrow arguments convert as UTF-8 and
// the process's global locale is never touched.
#include "Console/WideFormat.h"

#include <cerrno>
#include <cwchar>
#include <locale.h>

namespace Vexir {

namespace {

// Beyond this a message is not text but a mistake; the retries stop there.
const std::size_t kLargestWideText = std::size_t(1) << 22;

class Utf8CharacterTypeOnThisThread {
public:
    Utf8CharacterTypeOnThisThread()
        : _hLocale(newlocale(LC_CTYPE_MASK, "C.UTF-8", duplocale(LC_GLOBAL_LOCALE))),
          _hPrevious(_hLocale ? uselocale(_hLocale) : nullptr)
    {
    }
    ~Utf8CharacterTypeOnThisThread()
    {
        if (_hLocale) {
            uselocale(_hPrevious);
            freelocale(_hLocale);
        }
    }
    Utf8CharacterTypeOnThisThread(const Utf8CharacterTypeOnThisThread&) = delete;
    Utf8CharacterTypeOnThisThread& operator=(const Utf8CharacterTypeOnThisThread&) = delete;

private:
    locale_t _hLocale;
    locale_t _hPrevious;
};

}  // namespace

bool FormatWideMessage(std::wstring& text, const wchar_t* format, va_list args)
{
    const Utf8CharacterTypeOnThisThread utf8;
    text.assign(512, L'\0');
    for (;;) {
        va_list attempt;
        va_copy(attempt, args);
        errno = 0;
        const int length = std::vswprintf(&text[0], text.size(), format, attempt);
        va_end(attempt);
        if (length >= 0) {
            text.resize(static_cast<std::size_t>(length));
            return true;
        }
        // A failed conversion fails again however large the buffer; only a
        // full buffer is worth a larger one.
        if (errno == EILSEQ || errno == EINVAL || text.size() >= kLargestWideText)
            return false;
        text.resize(text.size() * 4);
    }
}

}  // namespace Vexir
