#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <optional>

#include "core/files/IwadPlaces.h"
#include "core/settings/ConfigLayout.h"
#include "core/settings/ReadWrite.h"
#include "ui/desktop/CommonDialog.h"
#include "ui/desktop/WindowParts.h"
#include "ui/setup/EntryWrites.h"
#include "ui/setup/SetupTable.h"

namespace quillon {

class Desktop;

// What the setup dialog asks of its add/change dialog: add an entry after the `position`
// entries its list holds, or change the entry at `position`. Either way the entry written
// is number position + 1, shown at `position` in both drop-down lists.
struct EntryTag {
  enum class Mode { Add, Change };
  Mode mode = Mode::Add;
  int position = 0;
};

// What OK did, for the windows that show the list: the entry at tag.position now has this
// name and file (in Add mode it is new).
struct SavedEntry {
  EntryTag tag;
  QString name;
  QString file;
};

// The add/change dialog of the ports, IWADs or programs (frmAddPort, frmAddIWAD,
// frmAddProg). Its setup dialog hands it the mode in Tag and, to change an entry, the
// entry's fields; on OK it reports the entry to its owner, then writes it to the file.
// `iwadPlaces`: the folders the ports search for an IWAD by name, for Browse.
class frmAddEntry : public QDialog {
  Q_OBJECT

 public:
  frmAddEntry(ListId list, Desktop& desktop, const QString& programDir, IwadPlaces iwadPlaces,
              QWidget* owner);
  ~frmAddEntry() override;

  // Set before the dialog is shown; without one, OK writes nothing.
  std::optional<EntryTag> Tag;

  // Change mode: the stored name, file and extra values of the entry. OK rewrites an extra
  // only when the user changed it.
  void SetFields(const QString& name, const QString& file, EntryExtras extras = {});

 signals:
  // Sent on OK before anything is written, so the lists show the entry even when the file
  // cannot be written.
  void Saved(const SavedEntry& entry);

 private:
  void CreateControls();
  void ArrangeControls();
  void FormLoad();
  void Browse();
  void SaveEntry();
  // The ports' own controls: the family their name gives, and the values OK stores.
  void ShowFamilyFromName();
  EntryExtras ExtrasToSave() const;
  template <class Widget>
  Widget* MakePortControl(std::string_view name) {
    return kind_.id == ListId::Ports ? MakeControl<Widget>(this, name) : nullptr;
  }

  const SetupInstance& instance_;
  const ListKind& kind_;
  Desktop& desktop_;
  QString programDir_;
  IwadPlaces iwadPlaces_;
  ReadWrite iniFile_;
  CommonDialog cdlOpen_;
  EntryExtras storedExtras_;

  // The controls, named as the user and the tests know them, made in their Tab order; the file
  // field and its label carry the instance's names (txtPath and lblPath, or txtFile and lblFile).
  QLabel* const lblTitle = MakeControl<QLabel>(this, "lblTitle");
  QLabel* const lblName = MakeControl<QLabel>(this, "lblName");
  QLineEdit* const txtName = MakeControl<QLineEdit>(this, "txtName");
  QLabel* const lblFile = MakeControl<QLabel>(this, instance_.entry.fileLabelName);
  QLineEdit* const txtFile = MakeControl<QLineEdit>(this, instance_.entry.fileFieldName);
  // Only a source port has a family and parameters of its own; elsewhere these are null.
  QLabel* const lblFamily = MakePortControl<QLabel>("lblFamily");
  QComboBox* const cmbFamily = MakePortControl<QComboBox>("cmbFamily");
  QLabel* const lblParams = MakePortControl<QLabel>("lblParams");
  QLineEdit* const txtParams = MakePortControl<QLineEdit>("txtParams");
  QPushButton* const cmdBrowse = MakeControl<QPushButton>(this, "cmdBrowse");
  QPushButton* const cmdOk = MakeControl<QPushButton>(this, "cmdOk");
  QPushButton* const cmdCancel = MakeControl<QPushButton>(this, "cmdCancel");
};

}  // namespace quillon
