#include "ui/about/frmAbout.h"
#include "ui/desktop/Desktop.h"
#include "ui/main/frmQLN2.h"
#include "ui/setup/SetupDialogs.h"

namespace quillon {

// Each window is made afresh, shown modally over this one, and gone when it closes; the
// lists need no reload afterwards, the setup dialogs kept them in step.
void frmQLN2::OpenSetup(ListId id) {
  // Browse for an IWAD asks the same folders as Test.
  const auto dialog = MakeSetupDialog(id, desktop_, programDir_, *this, wadFacts_->Places(), this);
  desktop_.ShowModal(dialog.get());
}

// The search reads PATH and the IWAD variables at the moment the user asks.
void frmQLN2::FindInstalled() {
  const auto dialog = MakeFindInstalledDialog(desktop_, programDir_, *this, this);
  desktop_.ShowModal(dialog.get());
}

void frmQLN2::ShowAbout() {
  frmAbout about(desktop_, this);
  desktop_.ShowModal(&about);
}

}  // namespace quillon
