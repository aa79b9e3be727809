// What the tests may ask of the UI module, beyond what a host can: the state
// of a console window's widgets, its menu commands, and answers for the file
// dialogs. Each call runs on the UI thread and waits for it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Foundation/UiModule.h"

namespace Vexir {
namespace ui {

struct ConsoleWindowSnapshot {
    bool open = false;
    int x = 0, y = 0, width = 0, height = 0;
    std::string title;
    std::string text;
    std::string styles;  // one style letter per byte of text
    int topLine = 0;
    int caret = 0;
    int selectionStart = 0, selectionEnd = 0;  // equal when nothing is selected
    int markedVerbosity = -1;                  // the radio mark, as the menu shows it when opened
    unsigned background = 0;                   // 0xRRGGBB
    std::vector<std::string> menu;             // every item's label, in order ("-" for a divider)
};

// A style letter's look: 0xRRGGBB, bold, fixed-pitch.
struct StyleLook {
    unsigned colour = 0;
    bool bold = false;
    bool fixedPitch = false;
    int size = 0;
};

// The newest assert dialog, as the user sees it.
struct AssertDialogSnapshot {
    struct Control {
        std::string text;  // an edit's text or a button's caption
        bool active = true;
        bool checked = false;
    };
    bool open = false;
    bool modal = false;
    std::string title;
    int x = 0, y = 0, width = 0, height = 0;
    std::map<int, Control> controls;  // by the Windows template's control id
    std::vector<std::string> labels;  // the texts without an id, in order
};

struct TestAccess {
    // The console window made last, while it exists.
    ConsoleWindow* (*LatestWindow)();
    bool (*Snapshot)(ConsoleWindow* window, ConsoleWindowSnapshot& snapshot);
    // As if the menu item with this command were chosen.
    bool (*Command)(ConsoleWindow* window, unsigned command);
    // A reader's selection; the caret goes to its end.
    bool (*Select)(ConsoleWindow* window, int start, int end);
    bool (*ScrollTo)(ConsoleWindow* window, int line);
    bool (*LookOf)(char style, StyleLook& look);
    unsigned long (*XWindow)(ConsoleWindow* window);
    // Opens the menu bar's first menu, as a click would, and returns while it
    // is open; MenuOpen tells whether a menu is on the screen.
    bool (*OpenMenu)(ConsoleWindow* window);
    bool (*MenuOpen)();
    // Waits until the UI thread has handled everything handed to it so far
    // and the display has drawn it.
    bool (*Flush)();
    // The file dialog on screen: its title, or empty when there is none.
    std::string (*DialogTitle)();
    // Types `name` into the file dialog on screen and accepts it; null
    // cancels it. False when no dialog is on screen.
    bool (*AnswerDialog)(const char* name);
    // The newest assert dialog on the screen; false when there is none.
    bool (*AssertDialog)(AssertDialogSnapshot& snapshot);
    // Presses a button or toggles a check box, as a click would; false when
    // there is no such control, or it is disabled.
    bool (*PressInAssertDialog)(int control);
    // An FLTK key (FL_Enter, FL_Escape) pressed in the dialog.
    bool (*KeyInAssertDialog)(int key);
    // The window manager's close request.
    bool (*CloseAssertDialog)();
    // Hands `task` to the UI thread without waiting for it; false when the
    // thread is not running.
    bool (*PostToUiThread)(std::function<void()> task);
};

using TestAccessEntry = const TestAccess* (*)();
const char kTestAccessEntry[] = "VexirUiTestAccess";

}  // namespace ui
}  // namespace Vexir
