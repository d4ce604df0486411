#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/frmQLN2.h"
#include "settings/NumberConversion.h"
#include "shell/Desktop.h"
#include "shell/PathHelpers.h"
#include "shell/QtText.h"

namespace quillon {

namespace {

QString Flag(const QCheckBox* box) { return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); }

}  // namespace

void frmQLN2::Form_Load() {
  DefaultIniLines_ = DefaultIniLines();
  IniFile.SetFileName(JoinPath(Ss(programDir_), kIniFileName));

  if (desktop_.FileExists(Qs(IniFile.FileName()))) {
    RefreshLists(QStringLiteral("All"));
    if (!RestoreMemory()) ShowIniError();
  } else {
    bool created = true;
    try {
      IniFile.Create(DefaultIniLines_);
    } catch (const IniWriteError&) {
      created = false;
    }
    // Even without a file the window works, on empty lists.
    GiveEachListItsPlaceholder();
    if (created) {
      desktop_.ShowMessage(this,
                           QStringLiteral("No INI was found, so Quillon created a new one.\r\n"
                                          "To use this program, set up source ports, IWADs and "
                                          "programs by using the setup buttons."),
                           QString::fromLatin1(kAppTitle), MessageIcon::Information,
                           MessageButtons::Ok);
    } else {
      ShowIniError();
    }
  }

  CentreOnScreen();

  // Only disables: a list with nothing or its placeholder selected offers nothing to start.
  if (PlaceholderOrNone(cmbPorts)) {
    cmdTest->setEnabled(false);
    ProgramTest->setEnabled(false);
  }
  if (PlaceholderOrNone(cmbProgs)) cmdLaunch->setEnabled(false);
}

void frmQLN2::GiveEachListItsPlaceholder() {
  const std::pair<QComboBox*, QString> lists[] = {
      {cmbPorts, QStringLiteral("[No Source Port]")},
      {cmbIWADs, QStringLiteral("[Default (no -iwad)]")},
      {cmbProgs, QStringLiteral("[No Program]")},
  };
  for (const auto& [list, placeholder] : lists) {
    {
      const QSignalBlocker quiet(list);
      list->addItem(placeholder);
      list->setCurrentIndex(-1);
    }
    list->setCurrentIndex(0);  // a real change: runs the list's reaction
  }
}

// Restores the remembered state in its fixed order; stops at the first value that cannot
// be used, keeping what was restored before it.
bool frmQLN2::RestoreMemory() {
  if (!RestoreSelection(cmbPorts, memory::kPort) || !RestoreSelection(cmbIWADs, memory::kIWAD) ||
      !RestoreSelection(cmbProgs, memory::kProg)) {
    return false;
  }

  const auto useFiles = ReadFlag(memory::kUseFiles);
  if (!useFiles) return false;
  SetUseFiles(*useFiles);

  txtParams->setText(Qs(IniFile.Load(memory::kSection, memory::kParams)));
  txtProgParams->setText(Qs(IniFile.Load(memory::kSection, memory::kProgParams)));

  const auto warp = ReadFlag(memory::kWarp);
  if (!warp) return false;
  SetWarp(*warp);

  const QString warpTo = Qs(IniFile.Load(memory::kSection, memory::kWarpTo));
  if (!warpTo.isEmpty()) txtWarp->setText(warpTo);

  const std::pair<std::string_view, QCheckBox*> flags[] = {
      {memory::kNoMonsters, chkNoMonsters}, {memory::kNoMusic, chkNoMusic},
      {memory::kNoSound, chkNoSound},       {memory::kNoCD, chkNoCD},
      {memory::kOpenGL, chkGLmode},
  };
  for (const auto& [key, box] : flags) {
    const auto on = ReadFlag(key);
    if (!on) return false;
    box->setChecked(*on);
  }
  return true;
}

// 0 selects the placeholder; n selects item n - 1 (a fraction rounds half to even). A
// number naming an item the list does not have is a failure.
bool frmQLN2::RestoreSelection(QComboBox* list, std::string_view key) {
  const auto number = ParseDecimal(IniFile.Load(memory::kSection, key));
  if (!number) return false;
  int index = list->count() - 1;
  if (!number->IsZero()) {
    const auto item = RoundToInt16(*number, -1);
    if (!item || *item < 0 || *item >= list->count()) return false;
    index = *item;
  }
  list->setCurrentIndex(index);
  return true;
}

std::optional<bool> frmQLN2::ReadFlag(std::string_view key) {
  const auto value = ToInt16(IniFile.Load(memory::kSection, key));
  if (!value) return std::nullopt;
  return *value != 0;
}

void frmQLN2::CentreOnScreen() {
  const QSize screen = desktop_.ScreenSize();
  move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
}

void frmQLN2::ShowIniError() {
  desktop_.ShowMessage(this, QString::fromLatin1(kIniErrorText), QString::fromLatin1(kAppTitle),
                       MessageIcon::Exclamation, MessageButtons::Ok);
}

void frmQLN2::closeEvent(QCloseEvent* event) {
  // Closing asks nothing and cannot be cancelled.
  Form_Unload();
  event->accept();
}

void frmQLN2::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  const auto save = [this](std::string_view key, const QString& value) {
    IniFile.Save(memory::kSection, key, Ss(value));
  };
  // 0 for none or the placeholder, otherwise the item counted from 1.
  const auto selection = [](const QComboBox* list) {
    return QString::number(PlaceholderOrNone(list) ? 0 : list->currentIndex() + 1);
  };
  save(memory::kPort, selection(cmbPorts));
  save(memory::kIWAD, selection(cmbIWADs));
  save(memory::kProg, selection(cmbProgs));
  save(memory::kUseFiles, Flag(chkEnableFiles));
  save(memory::kWarp, Flag(chkWarp));
  save(memory::kWarpTo, txtWarp->text());
  save(memory::kNoMonsters, Flag(chkNoMonsters));
  save(memory::kNoMusic, Flag(chkNoMusic));
  save(memory::kNoSound, Flag(chkNoSound));
  save(memory::kNoCD, Flag(chkNoCD));
  save(memory::kOpenGL, Flag(chkGLmode));
  save(memory::kParams, txtParams->text());
  save(memory::kProgParams, txtProgParams->text());
}

}  // namespace quillon
