// Dotted-quad addresses, read the same way on every platform: four decimal
// numbers from 0 to 255, one to three digits each with no leading zero (which
// some readers take for octal), separated by single dots, nothing else. The
// short ("127.1"), hexadecimal and octal forms some C libraries accept are
// refused, so an address means one thing wherever it is typed.
#include <Vexir/Network/Sockets.h>

namespace Vexir {
namespace Network {

unsigned int ParseIPv4Address(const std::string& text)
{
    const unsigned int kNoAddress = 0xFFFFFFFFu;
    unsigned int address = 0;
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.')
                return kNoAddress;
            ++at;
        }
        const std::size_t start = at;
        unsigned int value = 0;
        while (at < text.size() && at - start < 3 && text[at] >= '0' && text[at] <= '9')
            value = value * 10 + static_cast<unsigned int>(text[at++] - '0');
        const std::size_t digits = at - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0'))
            return kNoAddress;
        address = address << 8 | value;
    }
    return at == text.size() ? address : kNoAddress;
}

}  // namespace Network
}  // namespace Vexir
