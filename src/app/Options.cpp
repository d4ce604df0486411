#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/Appearance.h"
#include "app/frmQLN2.h"

namespace quillon {

void frmQLN2::ConnectOptionBoxes() {
  // The "No ..." boxes name what a click would do next; "Exit when testing" tells the
  // present state. "OpenGL Mode" has no reaction at all.
  const struct {
    QCheckBox* box;
    const char* checkedTip;
    const char* uncheckedTip;
  } boxes[] = {
      {chkNoMonsters, "Click to enable monsters", "Click to disable monsters"},
      {chkNoMusic, "Click to enable MIDI music", "Click to disable MIDI music"},
      {chkNoSound, "Click to enable wave sounds", "Click to disable wave sounds"},
      {chkNoCD, "Click to enable CD music", "Click to disable CD music"},
      {chkCloseOnTest, "Program will exit upon clicking test",
       "Program will not exit upon clicking test"},
  };
  for (const auto& entry : boxes) {
    connect(entry.box, &QCheckBox::toggled, this, [box = entry.box, on = entry.checkedTip,
                                                   off = entry.uncheckedTip](bool checked) {
      box->setToolTip(QString::fromLatin1(checked ? on : off));
    });
  }
  connect(chkWarp, &QCheckBox::toggled, this, &frmQLN2::chkWarp_Click);
  connect(chkEnableFiles, &QCheckBox::toggled, this, &frmQLN2::SetCustomFilesEnabled);
}

void frmQLN2::chkWarp_Click() {
  ApplyWarpField();
  chkWarp->setToolTip(chkWarp->isChecked() ? QStringLiteral("Level warp is on")
                                           : QStringLiteral("Level warp is off"));
  // Names the level of this moment; later edits of the text leave it as it is.
  txtWarp->setToolTip(QStringLiteral("Warp to level ") + txtWarp->text());
}

// The warp text box is usable only while warp is on; switching off keeps its text.
void frmQLN2::ApplyWarpField() {
  const bool on = chkWarp->isChecked();
  txtWarp->setEnabled(on);
  SetFieldBackground(txtWarp, on ? QPalette::Base : QPalette::Window);
}

void frmQLN2::SetWarp(bool on) {
  chkWarp->setChecked(on);
  ApplyWarpField();
}

void frmQLN2::SetUseFiles(bool on) {
  chkEnableFiles->setChecked(on);
  SetCustomFilesEnabled();
}

void frmQLN2::SetCustomFilesEnabled() {
  const bool on = chkEnableFiles->isChecked();
  for (QWidget* control : std::initializer_list<QWidget*>{cmdAddPWAD, cmdAddDEH, cmdRemoveFile, lstFiles}) {
    control->setEnabled(on);
  }
  SetFieldBackground(lstFiles, on ? QPalette::Base : QPalette::Window);
  chkEnableFiles->setToolTip(on ? QStringLiteral("Click to disable custom files")
                                : QStringLiteral("Click to enable custom files"));
}

}  // namespace quillon
