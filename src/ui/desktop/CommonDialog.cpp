#include "ui/desktop/CommonDialog.h"

#include "ui/desktop/Desktop.h"

namespace quillon {

bool CommonDialog::Show(bool save) {
  FileName.clear();
  const auto chosen = desktop_.ChooseFile(owner_, {DialogTitle, Filter, InitDir, Flags, save});
  if (!chosen || chosen->isEmpty()) return false;
  FileName = *chosen;
  return true;
}

}  // namespace quillon
