// The level marks of the text consoles: "[S]", "[E]", "[W]", "[I]", "[V]", "[D]"
// for levels 0 to 5, and "[?]" for a level outside the table.
#pragma once

namespace Vexir {

inline const char* LevelMark(int level)
{
    static const char* const kMarks[] = {"[S]", "[E]", "[W]", "[I]", "[V]", "[D]"};
    return level >= 0 && level < 6 ? kMarks[level] : "[?]";
}

}  // namespace Vexir
