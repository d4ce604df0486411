#include "setup/SetupDialogs.h"

#include <QDialog>

namespace quillon {

// Placeholder until the setup dialogs land.
std::unique_ptr<QDialog> MakeSetupDialog(ListId, Desktop&, const QString&, MainWindowLists&,
                                         QWidget* owner) {
  return std::make_unique<QDialog>(owner);
}

}  // namespace quillon
