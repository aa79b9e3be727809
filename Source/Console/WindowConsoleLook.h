// What the window console looks like and answers to, the same on every
// platform: its size, where it goes beside its parent, the colour and weight of
// each level, and its menu commands.
#pragma once

#include <algorithm>

namespace Vexir {
namespace windowconsole {

const int kWidth = 640;
const int kHeight = 300;
const char kDefaultTitle[] = "Parvon SDK Console";
// Titles are cut to this many UTF-16 units, as the window's title buffer holds.
const int kTitleUnits = 254;

enum Placement : unsigned { Centred = 0, LeftOf = 1, RightOf = 2, Below = 3, Above = 4 };

struct Point {
    long x;
    long y;
};

// The window's top-left corner for a placement code, relative to the parent's
// rectangle; never negative. Any unknown code puts it at the parent's corner.
inline Point PlacementPosition(long left, long top, long right, long bottom, unsigned placement)
{
    const long width = right - left;
    const long height = bottom - top;
    Point at = {left, top};
    switch (placement) {
        case Centred:
            at.x = std::max(left + (width - kWidth) / 2, left);
            at.y = std::max(top + (height - kHeight) / 2, top);
            break;
        case LeftOf:
            at.x = left - kWidth;
            break;
        case RightOf:
            at.x = right;
            break;
        case Below:
            at.y = bottom;
            break;
        case Above:
            at.y = top - kHeight;
            break;
        default:
            break;
    }
    at.x = std::max(at.x, 0L);
    at.y = std::max(at.y, 0L);
    return at;
}

struct LevelLook {
    unsigned char red, green, blue;
    bool bold;
};

// Levels 1 to 5 (Error to Debug); anything else is plain black.
inline LevelLook LookOfLevel(int level)
{
    switch (level) {
        case 1:
            return {200, 0, 0, true};
        case 2:
            return {200, 0, 255, true};
        case 3:
            return {0, 0, 0, true};
        case 5:
            return {120, 120, 120, false};
        default:
            return {0, 0, 0, false};
    }
}

enum Command : unsigned {
    CloseConsole = 9001,
    SaveAs = 9003,
    VerbositySilent = 9005,  // to 9010, one per level
    VerbosityDebug = 9010,
    Copy = 9013,
    Clear = 9014,
    SelectAll = 9015,
};

const char* const kVerbosityLabels[6] = {"&Silent", "&Error", "&Warning", "&Info", "&Verbose", "&Debug"};

// Save As.
const char kSaveTitle[] = "Save Console Data As....";

// The text a window keeps: past the limit (in characters on Windows, bytes
// on Linux), its oldest lines go, down to what is kept.
const long kTextLimit = 4l << 20;
const long kTextKept = 3l << 20;
// Messages a window writes before it lets its thread handle anything else.
const unsigned kDrainBatch = 1000;

// Messages kept for a window that is not taking them yet: the newest ones, up
// to this much text (each message also counts for its bookkeeping).
const unsigned long kQueueLimit = 8ul << 20;
const unsigned long kQueuedMessageCost = 64;

}  // namespace windowconsole
}  // namespace Vexir
