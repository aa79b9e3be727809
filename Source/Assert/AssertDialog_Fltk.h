// The assert dialogs on Linux: the two Windows templates rebuilt with FLTK on
// the UI thread, with the same captions, texts, fields and answers.
#pragma once

#include "Foundation/UiModule.h"

namespace Vexir {
namespace ui {

struct AssertDialogSnapshot;

// Shows the dialog and waits for the answer; -1 when it cannot be shown, or
// when it went with the display before the user answered.
int ShowAssertDialog(const AssertDialogContent& content, AssertDialogHost* host);

// For the tests, on the UI thread: the newest assert dialog on the screen.
bool SnapshotOfAssertDialog(AssertDialogSnapshot& snapshot);
bool PressInAssertDialog(int control);
bool KeyInAssertDialog(int key);
bool CloseRequestToAssertDialog();

}  // namespace ui
}  // namespace Vexir
