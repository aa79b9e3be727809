// The dialog handlers answer as a dialog that could not be created until the
// window system is wired to them; every site treats the answer as Ignore.
#include <Vexir/Assert.h>

namespace Vexir {

namespace {
const int kDialogNotShown = -1;
}

int AssertHandler_BasicWin::HandleAssert(const char*, int, const char*, const char*) { return kDialogNotShown; }

int AssertHandler_AdvancedWin::HandleAssert(const char*, int, const char*, const char*) { return kDialogNotShown; }

}  // namespace Vexir
