// Windows hands a program its arguments in UTF-16; the ANSI form would turn
// every name outside the code page into question marks. The tools take them
// as UTF-8, as the library takes every name.
#pragma once

#include <Vexir/Utf8Util.h>

#include <cstdio>
#include <string>
#include <vector>

namespace VexirTools {

// False, with a line on standard error naming `program`, for an argument that
// is not valid UTF-16 (an unpaired surrogate).
inline bool Utf8Arguments(const char* program, int argc, wchar_t** argv, std::vector<std::string>& arguments)
{
    try {
        for (int i = 0; i < argc; ++i)
            arguments.push_back(utf8util::Utf16ToUtf8(argv[i]));
        return true;
    } catch (const utf8util::utf8_conversion_error&) {
        std::fprintf(stderr, "%s: an argument is not valid UTF-16 (an unpaired surrogate)\n", program);
        return false;
    }
}

}  // namespace VexirTools
