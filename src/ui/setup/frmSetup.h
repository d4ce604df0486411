#pragma once

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <string>

#include "core/files/IwadPlaces.h"
#include "core/settings/ConfigLayout.h"
#include "core/settings/ReadWrite.h"
#include "ui/desktop/WindowParts.h"
#include "ui/setup/SetupTable.h"

namespace quillon {

class Desktop;
class MainWindowLists;
struct EntryTag;
struct SavedEntry;

// The setup dialog of the ports, IWADs or programs (frmPortSetup, frmIWADSetup,
// frmProgSetup): the list's entries by name, with Add, Change and Remove. Every change goes
// to the file at once and to the main window's list of the same kind.
class frmSetup : public QDialog {
  Q_OBJECT

 public:
  frmSetup(ListId list, Desktop& desktop, QString programDir, MainWindowLists& mainLists,
           IwadPlaces iwadPlaces, QWidget* owner);
  ~frmSetup() override;

 private:
  void CreateControls();
  void ArrangeControls();
  void FormLoad();
  void FillList();
  // Whether a missing file is told in a message box, or only in the label.
  enum class Lookup { Tell, Quiet };
  void ShowEntryInfo(Lookup lookup);
  // After an edit: the label describes the entry now selected, or none.
  void ShowSelectedInfo();
  void AddEntry();
  void ChangeEntry();
  void RemoveSelectedEntry();
  void ShowEntryDialog(const EntryTag& tag);
  void ShowSavedEntry(const SavedEntry& saved);
  std::string StoredName(int entry) const;
  std::string StoredFile(int entry) const;
  void Complain(const QString& text);
  // The programs' dialog: which of them builds the nodes before a Test.
  void FillNodeBuilders();
  void NodeBuilderChosen();

  const SetupInstance& instance_;
  const ListKind& kind_;
  Desktop& desktop_;
  QString programDir_;
  MainWindowLists& mainLists_;
  IwadPlaces iwadPlaces_;  // for the add/change dialog's Browse
  ReadWrite iniFile_;

  // The controls, named as the user and the tests know them, made in their Tab order; the list,
  // frame and label carry the instance's names (cmbPorts, fraNote, lblNote...).
  QLabel* const lblTitle = MakeControl<QLabel>(this, "lblTitle");
  QComboBox* const cmbList = MakeControl<QComboBox>(this, instance_.window.list);
  QGroupBox* const fraInfo = MakeControl<QGroupBox>(this, instance_.frame.name);
  QLabel* const lblInfo = MakeControl<QLabel>(fraInfo, instance_.frame.labelName);
  QPushButton* const cmdAdd = MakeControl<QPushButton>(this, "cmdAdd");
  QPushButton* const cmdChange = MakeControl<QPushButton>(this, "cmdChange");
  QPushButton* const cmdRemove = MakeControl<QPushButton>(this, "cmdRemove");
  QPushButton* const cmdDone = MakeControl<QPushButton>(this, "cmdDone");
  QLabel* lblNodeBuilder = nullptr;  // only in the programs' dialog
  QComboBox* cmbNodeBuilder = nullptr;
};

}  // namespace quillon
