#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include "core/settings/ConfigLayout.h"
#include "core/settings/ReadWrite.h"
#include "ui/desktop/CommonDialog.h"
#include "ui/setup/DialogParts.h"
#include "ui/setup/SetupTable.h"

class QComboBox;

namespace quillon {

class Desktop;
class MainWindowLists;

// The add/change dialog of the ports, IWADs or programs (frmAddPort, frmAddIWAD,
// frmAddProg). Its setup dialog hands it the mode in Tag and, to change an entry, the
// entry's fields; on OK it writes the entry and puts its name into both lists that show it.
class frmAddEntry : public QDialog {
  Q_OBJECT

 public:
  // setupList is the setup dialog's drop-down list of the same entries.
  frmAddEntry(ListId list, Desktop& desktop, const QString& programDir, QComboBox* setupList,
              MainWindowLists& mainLists, QWidget* owner);
  ~frmAddEntry() override;

  // "Add " + the number of entries, or "Change " + the position of the entry to change.
  QString Tag;

  // Change mode: the stored name and file of the entry.
  void SetFields(const QString& name, const QString& file);

 private:
  void CreateControls();
  void ArrangeControls();
  void FormLoad();
  void Browse();
  void SaveEntry();

  const SetupInstance& instance_;
  const ListKind& kind_;
  Desktop& desktop_;
  QComboBox* setupList_;
  MainWindowLists& mainLists_;
  QString programDir_;
  ReadWrite iniFile_;
  CommonDialog cdlOpen_;

  // The controls, named as the user and the tests know them, made in their Tab order; the file
  // field and its label carry the instance's names (txtPath and lblPath, or txtFile and lblFile).
  QLabel* const lblTitle = MakeControl<QLabel>(this, "lblTitle");
  QLabel* const lblName = MakeControl<QLabel>(this, "lblName");
  QLineEdit* const txtName = MakeControl<QLineEdit>(this, "txtName");
  QLabel* const lblFile = MakeControl<QLabel>(this, instance_.entry.fileLabelName);
  QLineEdit* const txtFile = MakeControl<QLineEdit>(this, instance_.entry.fileFieldName);
  QPushButton* const cmdBrowse = MakeControl<QPushButton>(this, "cmdBrowse");
  QPushButton* const cmdOk = MakeControl<QPushButton>(this, "cmdOk");
  QPushButton* const cmdCancel = MakeControl<QPushButton>(this, "cmdCancel");
};

}  // namespace quillon
