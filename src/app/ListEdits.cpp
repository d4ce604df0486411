#include <QComboBox>

#include "about/frmAbout.h"
#include "app/frmQLN2.h"
#include "setup/SetupDialogs.h"
#include "shell/Desktop.h"

namespace quillon {

QComboBox* frmQLN2::DropDownOf(ListId id) const {
  switch (id) {
    case ListId::Ports:
      return cmbPorts;
    case ListId::IWADs:
      return cmbIWADs;
    case ListId::Programs:
      return cmbProgs;
    case ListId::Files:
      break;
  }
  return nullptr;
}

// Each dialog is made afresh, shown modally over this window, and gone when it closes; the
// lists need no reload afterwards, the dialogs kept them in step.
void frmQLN2::OpenSetup(ListId id) {
  const auto dialog = MakeSetupDialog(id, desktop_, programDir_, *this, this);
  desktop_.ShowModal(dialog.get());
}

void frmQLN2::cmdAbout_Click() {
  frmAbout about(desktop_, this);
  desktop_.ShowModal(&about);
}

// Inserting before the selection moves it along; Qt reports that as a change and the
// list's reaction runs again with the same outcome.
void frmQLN2::InsertEntry(ListId id, int position, const QString& name) {
  if (QComboBox* list = DropDownOf(id)) list->insertItem(position, name);
}

void frmQLN2::RenameEntry(ListId id, int position, const QString& name) {
  if (QComboBox* list = DropDownOf(id)) list->setItemText(position, name);
}

void frmQLN2::RemoveEntry(ListId id, int position) {
  QComboBox* list = DropDownOf(id);
  if (!list || position < 0 || position >= list->count()) return;
  if (position != list->currentIndex()) {
    list->removeItem(position);
    return;
  }
  // Qt would select the neighbour the user never chose; fall back to the placeholder.
  {
    const QSignalBlocker quiet(list);
    list->removeItem(position);
    list->setCurrentIndex(-1);
  }
  list->setCurrentIndex(list->count() - 1);
}

}  // namespace quillon
