#include <QComboBox>
#include <QListView>
#include <QStringList>

#include "core/settings/NumberConversion.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/desktop/QtText.h"
#include "ui/desktop/WindowParts.h"
#include "ui/main/frmQLN2.h"

namespace quillon {

void frmQLN2::RefreshLists(const QString& what) {
  const bool all = what == QStringLiteral("All");
  for (ListId id : {ListId::Ports, ListId::IWADs, ListId::Programs}) {
    if (!all && what != Latin1(KindOf(id).prefix)) continue;
    if (!FillDropDown(id)) {
      ShowIniError();
      return;
    }
  }
  if ((all || what == Latin1(KindOf(ListId::Files).prefix)) && !FillCustomFiles()) {
    ShowIniError();
  }
}

// Appends the list's entries and its placeholder. The selection stays as it was: a Qt
// list would select its first item by itself, which the user never did.
bool frmQLN2::FillDropDown(ListId id) {
  const ListKind& kind = KindOf(id);
  const auto count = StoredCount(iniFile_, kind);
  if (!count) return false;
  EntryTexts items;
  items.Reserve(*count + 1);
  for (int entry = 1; entry <= *count; ++entry) {
    items.Add(iniFile_.LoadWhole(kind.section, NameKey(kind, entry)));
  }
  items.Add(kind.placeholder);
  QComboBox* list = DropDownOf(id);
  const QSignalBlocker quiet(list);
  const int selected = list->currentIndex();
  EntriesOf(list)->Append({std::move(items)});
  list->setCurrentIndex(selected);
  return true;
}

bool frmQLN2::FillCustomFiles() {
  const ListKind& kind = KindOf(ListId::Files);
  const auto count = StoredCount(iniFile_, kind);
  if (!count) return false;
  EntryTexts names;
  EntryTexts paths;
  names.Reserve(*count);
  paths.Reserve(*count);
  for (int entry = 1; entry <= *count; ++entry) {
    names.Add(iniFile_.LoadWhole(kind.section, NameKey(kind, entry)));
    paths.Add(iniFile_.LoadWhole(kind.section, FileKey(kind, entry)));
  }
  EntriesOf(lstFiles)->Append({std::move(names), std::move(paths)});
  return true;
}

bool frmQLN2::PlaceholderOrNone(const QComboBox* list) {
  return list->currentIndex() < 0 || list->currentIndex() == list->count() - 1;
}

void frmQLN2::PortChosen() {
  SetCommandEnabled(CommandId::Test, !PlaceholderOrNone(cmbPorts));
  SetCommandEnabled(CommandId::CopyCommandLine, !PlaceholderOrNone(cmbPorts));
  // The port's folder is where it looks for the IWAD first.
  RelearnWads();
}

void frmQLN2::ProgramChosen() {
  SetCommandEnabled(CommandId::Launch, !PlaceholderOrNone(cmbProgs));
}

}  // namespace quillon
