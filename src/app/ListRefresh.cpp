#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

#include "app/frmQLN2.h"
#include "settings/NumberConversion.h"
#include "shell/QtText.h"

namespace quillon {

namespace {

// The number of entries a count key announces: nullopt when it is not a number or too
// large for the 16-bit counter; 0 for zero or a negative count.
std::optional<int> EntryCount(const ReadWrite& ini, const ListKind& kind) {
  const auto number = ParseDecimal(ini.Load(kind.section, kind.countKey));
  if (!number) return std::nullopt;
  if (!number->IsPositive()) return 0;
  const auto count = RoundToInt16(*number);
  if (!count || *count >= kMaxListCount) return std::nullopt;
  return *count;
}

}  // namespace

void frmQLN2::RefreshLists(const QString& what) {
  const bool all = what == QStringLiteral("All");
  const struct {
    const char* word;
    QComboBox* list;
    ListId id;
    const char* placeholder;
  } dropDowns[] = {
      {"Port", cmbPorts, ListId::Ports, "[No Source Port]"},
      {"IWAD", cmbIWADs, ListId::IWADs, "[Default (no -iwad)]"},
      {"Prog", cmbProgs, ListId::Programs, "[No Program]"},
  };
  for (const auto& dropDown : dropDowns) {
    if (!all && what != QLatin1String(dropDown.word)) continue;
    if (!FillDropDown(dropDown.list, dropDown.id, QString::fromLatin1(dropDown.placeholder))) {
      ShowIniError();
      return;
    }
  }
  if ((all || what == QStringLiteral("File")) && !FillCustomFiles()) ShowIniError();
}

// Appends the list's entries and its placeholder. The selection stays as it was: a Qt
// list would select its first item by itself, which the user never did.
bool frmQLN2::FillDropDown(QComboBox* list, ListId id, const QString& placeholder) {
  const ListKind& kind = KindOf(id);
  const auto count = EntryCount(IniFile, kind);
  if (!count) return false;
  QStringList items;
  items.reserve(*count + 1);
  for (int entry = 1; entry <= *count; ++entry) {
    items << Qs(IniFile.Load(kind.section, NameKey(kind, entry)));
  }
  items << placeholder;
  const QSignalBlocker quiet(list);
  const int selected = list->currentIndex();
  list->addItems(items);
  list->setCurrentIndex(selected);
  return true;
}

bool frmQLN2::FillCustomFiles() {
  const ListKind& kind = KindOf(ListId::Files);
  const auto count = EntryCount(IniFile, kind);
  if (!count) return false;
  QStringList names;
  QStringList paths;
  names.reserve(*count);
  paths.reserve(*count);
  for (int entry = 1; entry <= *count; ++entry) {
    names << Qs(IniFile.Load(kind.section, NameKey(kind, entry)));
    paths << Qs(IniFile.Load(kind.section, FileKey(kind, entry)));
  }
  lstFiles->addItems(names);
  lstFileDirs->addItems(paths);
  return true;
}

bool frmQLN2::PlaceholderOrNone(const QComboBox* list) {
  return list->currentIndex() < 0 || list->currentIndex() == list->count() - 1;
}

void frmQLN2::cmbPorts_Click() {
  const bool portChosen = !PlaceholderOrNone(cmbPorts);
  cmdTest->setEnabled(portChosen);
  ProgramTest->setEnabled(portChosen);
}

void frmQLN2::cmbProgs_Click() { cmdLaunch->setEnabled(!PlaceholderOrNone(cmbProgs)); }

}  // namespace quillon
