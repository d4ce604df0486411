#include "ui/setup/SetupDialogs.h"

#include "ui/setup/frmFindInstalled.h"
#include "ui/setup/frmSetup.h"

namespace quillon {

std::unique_ptr<QDialog> MakeSetupDialog(ListId list, Desktop& desktop, const QString& programDir,
                                         MainWindowLists& mainLists, const IwadPlaces& iwadPlaces,
                                         QWidget* owner) {
  return std::make_unique<frmSetup>(list, desktop, programDir, mainLists, iwadPlaces, owner);
}

std::unique_ptr<QDialog> MakeFindInstalledDialog(Desktop& desktop, const QString& programDir,
                                                 MainWindowLists& mainLists, QWidget* owner) {
  return std::make_unique<frmFindInstalled>(desktop, programDir, mainLists,
                                            installed::SearchPlacesFromEnvironment(), owner);
}

}  // namespace quillon
