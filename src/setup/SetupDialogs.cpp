#include "setup/SetupDialogs.h"

#include "setup/frmSetup.h"

namespace quillon {

std::unique_ptr<QDialog> MakeSetupDialog(ListId list, Desktop& desktop, const QString& programDir,
                                         MainWindowLists& mainLists, QWidget* owner) {
  return std::make_unique<frmSetup>(list, desktop, programDir, mainLists, owner);
}

}  // namespace quillon
