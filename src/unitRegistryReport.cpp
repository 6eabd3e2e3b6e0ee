// The settings' failures reported to the user: the window-free store only
// tells whether the user's own key failed.
#include "src/unitDialog.h"
#include "src/unitRegistry.h"

namespace {
void Show(const TCfgReport& report) { AnswerDlg(report.Title, report.Text, report.Buttons, report.IconKind); }
}  // namespace

void LoadCfg() {
    if (!TryLoadCfg()) Show(ReadFailureReport());
}

void SaveCfg() {
    if (!TrySaveCfg()) Show(WriteFailureReport());
}
