// Linux: the C library's vswprintf, with the calling thread alone switched to a
// UTF-8 character type for the call, so narrow arguments convert as UTF-8 and
// the process's global locale is never touched.
#include "Console/WideFormat.h"

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <locale.h>

namespace Vexir {

namespace {

// Beyond this a message is not text but a mistake; the retries stop there.
const std::size_t kLargestWideText = std::size_t(1) << 22;

// The host's locale with a UTF-8 character type, made again only when the
// host's locale has changed since. Messages are formatted under the console
// manager's lock, which guards this too. Plain storage, so that a message
// logged by an exit handler after the runtime's static destructors finds it.
char s_aMadeFor[512];
locale_t s_hLocale = nullptr;

locale_t HostLocaleWithUtf8Text()
{
    const char* host = setlocale(LC_ALL, nullptr);
    if (!host)
        host = "";
    if (s_hLocale && std::strcmp(s_aMadeFor, host) == 0)
        return s_hLocale;
    if (s_hLocale)
        freelocale(s_hLocale);
    const locale_t base = duplocale(LC_GLOBAL_LOCALE);
    s_hLocale = base ? newlocale(LC_CTYPE_MASK, "C.UTF-8", base) : nullptr;
    if (!s_hLocale && base)
        freelocale(base);
    // A name too long to keep never matches, and the locale is made anew.
    const std::size_t length = std::strlen(host);
    s_aMadeFor[0] = '\0';
    if (length < sizeof s_aMadeFor)
        std::memcpy(s_aMadeFor, host, length + 1);
    return s_hLocale;
}

class Utf8CharacterTypeOnThisThread {
public:
    Utf8CharacterTypeOnThisThread()
        : _hLocale(HostLocaleWithUtf8Text()), _hPrevious(_hLocale ? uselocale(_hLocale) : nullptr)
    {
    }
    ~Utf8CharacterTypeOnThisThread()
    {
        if (_hLocale)
            uselocale(_hPrevious);
    }
    Utf8CharacterTypeOnThisThread(const Utf8CharacterTypeOnThisThread&) = delete;
    Utf8CharacterTypeOnThisThread& operator=(const Utf8CharacterTypeOnThisThread&) = delete;

private:
    locale_t _hLocale;
    locale_t _hPrevious;
};

}  // namespace

void ReleaseWideFormatting()
{
    if (s_hLocale)
        freelocale(s_hLocale);
    s_hLocale = nullptr;
}

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
