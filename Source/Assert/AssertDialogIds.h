// The assert dialogs' control ids: those of the Windows templates 101 and 102
// (Resources/VexirCore.rc.in), which the Linux dialogs keep, so that both
// platforms name the same controls alike.
#pragma once

namespace Vexir {
namespace assertdialog {

enum ControlId : int {
    kBasicText = 1001,
    kIgnoreButton = 1002,
    kIgnoreAlwaysButton = 1003,
    kDebugButton = 1004,
    kCreateMinidump = 1006,
    kCopyText = 1008,
    kFileField = 1011,
    kLineField = 1012,
    kExpressionField = 1013,
    kDescriptionField = 1014,
    kMinidumpField = 1015,
    kCopyMinidump = 1016,
    kCallStackField = 1017,
    kFullDump = 1018,
};

}  // namespace assertdialog
}  // namespace Vexir
