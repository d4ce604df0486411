#include <QCloseEvent>
#include <QComboBox>

#include "core/files/PathHelpers.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/desktop/WindowParts.h"
#include "ui/main/frmQLN2.h"

namespace quillon {

void frmQLN2::FormLoad() {
  iniFile_.SetFileName(JoinPath(Ss(programDir_), kIniFileName));

  if (desktop_.FileExists(Qs(iniFile_.FileName()))) {
    RefreshLists(QStringLiteral("All"));
    if (!RestoreMemory()) ShowIniError();
    RestoreRestartOnSave();
  } else {
    bool created = true;
    try {
      iniFile_.Create(DefaultIniLines());
    } catch (const IniWriteError&) {
      created = false;
    }
    // Even without a file the window works, on empty lists.
    GiveEachListItsPlaceholder();
    if (created) {
      desktop_.Tell(this,
                    QStringLiteral("No INI was found, so Quillon created a new one.\r\n"
                                   "To use this program, set up source ports, IWADs and "
                                   "programs by using the setup buttons."),
                    MessageIcon::Information);
    } else {
      ShowIniError();
    }
  }

  CentreOnScreen(this, desktop_.ScreenSize());
  RelearnWads();

  // Only disables: a list with nothing or its placeholder selected offers nothing to start.
  if (PlaceholderOrNone(cmbPorts)) {
    SetCommandEnabled(CommandId::Test, false);
    SetCommandEnabled(CommandId::CopyCommandLine, false);
  }
  if (PlaceholderOrNone(cmbProgs)) {
    SetCommandEnabled(CommandId::Launch, false);
    SetCommandEnabled(CommandId::EditMap, false);
  }
}

void frmQLN2::GiveEachListItsPlaceholder() {
  for (ListId id : {ListId::Ports, ListId::IWADs, ListId::Programs}) {
    QComboBox* list = DropDownOf(id);
    {
      const QSignalBlocker quiet(list);
      list->addItem(Latin1(KindOf(id).placeholder));
      list->setCurrentIndex(-1);
    }
    list->setCurrentIndex(0);  // a real change: runs the list's reaction
  }
}

// Restores the remembered state in its fixed order; stops at the first value that cannot
// be used, keeping what was restored before it.
bool frmQLN2::RestoreMemory() {
  for (const LaunchOption* option : OptionsInOrder(OptionOrder::Restore)) {
    if (!ApplyOption(*option, iniFile_.LoadWhole(memory::kSection, option->key),
                     ListValue::Remembered)) {
      return false;
    }
  }
  return true;
}

void frmQLN2::ShowIniError() {
  desktop_.Tell(this, QString::fromLatin1(kIniErrorText), MessageIcon::Exclamation);
}

void frmQLN2::closeEvent(QCloseEvent* event) {
  // Closing asks nothing and cannot be cancelled.
  FormUnload();
  event->accept();
}

// Writes back every remembered option, in the file's order.
void frmQLN2::FormUnload() {
  if (unloaded_) return;
  unloaded_ = true;
  // The remembered entries are numbers: they must count in the file as it is now.
  FollowFile();
  const LaunchOptionValues values = ReadOptions(ListValue::Remembered);
  for (const LaunchOption* option : OptionsInOrder(OptionOrder::Memory)) {
    if (!option->remembered) continue;
    const std::string value = values.Text(option->id);
    // An option added later stays out of a file that never had it, and keeps a value this
    // copy does not know, until the user chooses otherwise.
    if (option->addedLater &&
        !NeedsWrite(*option, iniFile_.LoadWhole(memory::kSection, option->key), value)) {
      continue;
    }
    iniFile_.Save(memory::kSection, option->key, value);
  }
  KeepRestartOnSave();
}

}  // namespace quillon
