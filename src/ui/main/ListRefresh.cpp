#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QItemSelectionModel>
#include <QListView>
#include <QStringList>
#include <cstdlib>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "core/settings/IniCache.h"
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
  EntryTexts items = ReadEntries(iniFile_, kind, *count, kNameSuffix, 1);
  items.Add(kind.placeholder);
  QComboBox* list = DropDownOf(id);
  const QSignalBlocker quiet(list);
  const int selected = list->currentIndex();
  EntriesOf(list)->Append(Columns(std::move(items)));
  list->setCurrentIndex(selected);
  return true;
}

bool frmQLN2::FillCustomFiles() {
  const ListKind& kind = KindOf(ListId::Files);
  const auto count = StoredCount(iniFile_, kind);
  if (!count) return false;
  EntriesOf(lstFiles)->Append(Columns(ReadEntries(iniFile_, kind, *count, kNameSuffix),
                                      ReadEntries(iniFile_, kind, *count, kind.fileSuffix)));
  return true;
}

std::vector<IniCache::NumberedKeys> frmQLN2::ColumnsFilledFirst() {
  std::vector<IniCache::NumberedKeys> columns;
  for (const ListId id : {ListId::Ports, ListId::IWADs, ListId::Programs, ListId::Files}) {
    const ListKind& kind = KindOf(id);
    columns.push_back(
        {std::string(kind.section), std::string(kind.prefix), std::string(kNameSuffix)});
  }
  const ListKind& files = KindOf(ListId::Files);
  columns.push_back(
      {std::string(files.section), std::string(files.prefix), std::string(files.fileSuffix)});
  return columns;
}

namespace {

constexpr ListId kDropDowns[] = {ListId::Ports, ListId::IWADs, ListId::Programs};

std::size_t SlotOf(ListId id) {
  return static_cast<std::size_t>(id);
}

// Every list as the file holds it now; none when a count cannot be read.
struct StoredLists {
  std::array<EntryTexts, 3> items;  // each drop-down list's names, then its placeholder
  std::vector<EntryTexts> files;    // the custom files' names and paths
};

std::optional<StoredLists> ReadStoredLists(const ReadWrite& ini) {
  StoredLists stored;
  for (ListId id : kDropDowns) {
    const ListKind& kind = KindOf(id);
    const auto count = StoredCount(ini, kind);
    if (!count) return std::nullopt;
    EntryTexts& items = stored.items[SlotOf(id)];
    items = ReadEntries(ini, kind, *count, kNameSuffix, 1);
    items.Add(kind.placeholder);
  }
  const ListKind& files = KindOf(ListId::Files);
  const auto count = StoredCount(ini, files);
  if (!count) return std::nullopt;
  stored.files.push_back(ReadEntries(ini, files, *count, kNameSuffix));
  stored.files.push_back(ReadEntries(ini, files, *count, files.fileSuffix));
  return stored;
}

// The row among `count` whose name is `name` and, when given, whose file is `file`; of
// several, the nearest to `near` (they start the same program). -1: there is none.
int NearestEntry(const ReadWrite& ini, const ListKind& kind, int count,
                 const std::function<std::string_view(int)>& nameAt, std::string_view name,
                 const std::string* file, int near) {
  int best = -1;
  for (int row = 0; row < count; ++row) {
    if (nameAt(row) != name) continue;
    if (file && ini.LoadWhole(kind.section, FileKey(kind, row + 1)) != *file) continue;
    if (best < 0 || std::abs(row - near) < std::abs(best - near)) best = row;
  }
  return best;
}

// Input to the window, seen before the window handles it: every action then finds the
// lists as the file holds them, and a user coming back to the window sees them so at once.
class FileFollower : public QObject {
 public:
  FileFollower(QWidget* window, std::function<void()> follow)
      : QObject(window), window_(window), follow_(std::move(follow)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::Wheel:
      case QEvent::DragEnter:
      case QEvent::Drop:
      case QEvent::WindowActivate:
        // Refilled under an open popup, a list would take the click meant for another item.
        if (!QApplication::activePopupWidget() && InWindow(watched)) follow_();
        break;
      default:
        break;
    }
    return false;
  }

 private:
  // The window's own controls, menus and actions; not its dialogs, which read for themselves.
  bool InWindow(const QObject* object) const {
    for (; object; object = object->parent()) {
      if (object == window_) return true;
      if (qobject_cast<const QDialog*>(object)) return false;
    }
    return false;
  }

  QWidget* window_;
  std::function<void()> follow_;
};

}  // namespace

void frmQLN2::FollowFileOnInput() {
  qApp->installEventFilter(new FileFollower(this, [this] { FollowFile(); }));
  shownGeneration_ = IniCache::Generation(iniFile_.FileName());
  shownText_ = iniFile_.SharedText().get();
  RememberChoices();
}

void frmQLN2::RememberChoices() {
  for (ListId id : kDropDowns) {
    const QComboBox* list = DropDownOf(id);
    Choice& choice = choices_[SlotOf(id)];
    if (choice.known && choice.index == list->currentIndex()) continue;
    choice = Choice{true, list->currentIndex(), {}, {}};
    if (PlaceholderOrNone(list)) continue;
    const ListKind& kind = KindOf(id);
    choice.name = EntriesOf(list)->Utf8(choice.index);
    choice.file = iniFile_.LoadWhole(kind.section, FileKey(kind, choice.index + 1));
  }
}

void frmQLN2::ForgetChoice(ListId id) {
  if (SlotOf(id) < choices_.size()) choices_[SlotOf(id)].known = false;
}

// The entry of the same name and file as the one selected; where a setup dialog changed the
// list since that was read, the same name. The placeholder when there is none.
int frmQLN2::FindAgain(ListId id, const EntryTexts& items) const {
  const int placeholder = items.Count() - 1;
  const QComboBox* list = DropDownOf(id);
  if (PlaceholderOrNone(list)) return placeholder;
  const Choice& choice = choices_[SlotOf(id)];
  const int was = list->currentIndex();
  const bool known = choice.known && choice.index == was;
  const std::string name(known ? std::string_view(choice.name) : EntriesOf(list)->Utf8(was));
  const int found = NearestEntry(
      iniFile_, KindOf(id), placeholder, [&items](int row) { return items.At(row); }, name,
      known ? &choice.file : nullptr, was);
  return found < 0 ? placeholder : found;
}

bool frmQLN2::FollowFile() {
  const std::uint64_t generation = IniCache::Generation(iniFile_.FileName());
  if (generation == shownGeneration_) {
    if (iniFile_.SharedText().get() != shownText_) AdoptStoredText();
    RememberChoices();
    return true;
  }
  // An open setup dialog changes our list item by item as it changes its own: refilled
  // under it, ours would no longer match. The refill waits for it to close.
  if (const QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
    return true;
  }
  std::optional<StoredLists> stored = ReadStoredLists(iniFile_);
  // Nothing is taken from a file that cannot be read: the lists keep what they show.
  if (!stored) return false;

  bool changed = false;
  for (ListId id : kDropDowns) {
    QComboBox* list = DropDownOf(id);
    const int index = FindAgain(id, stored->items[SlotOf(id)]);
    std::vector<EntryTexts> items = Columns(std::move(stored->items[SlotOf(id)]));
    const QSignalBlocker quiet(list);
    if (!EntriesOf(list)->Adopt(items)) {
      EntriesOf(list)->Reset(std::move(items));
      changed = true;
    }
    if (list->currentIndex() != index) {
      list->setCurrentIndex(index);
      changed = true;
    }
  }

  EntryListModel& listed = *EntriesOf(lstFiles);
  if (!listed.Adopt(stored->files)) {
    const QModelIndex current = lstFiles->currentIndex();
    const bool selected = current.isValid() && lstFiles->selectionModel()->isSelected(current);
    const std::string name(selected ? listed.Utf8(current.row(), 0) : std::string_view());
    const std::string where(selected ? listed.Utf8(current.row(), 1) : std::string_view());
    const EntryTexts& names = stored->files[0];
    const EntryTexts& paths = stored->files[1];
    int row = -1;
    for (int k = 0; selected && k < names.Count(); ++k) {
      if (names.At(k) != name || paths.At(k) != where) continue;
      if (row < 0 || std::abs(k - current.row()) < std::abs(row - current.row())) row = k;
    }
    listed.Reset(std::move(stored->files));
    if (row >= 0) lstFiles->setCurrentIndex(listed.index(row, 0));
    changed = true;
  }

  shownGeneration_ = generation;
  shownText_ = iniFile_.SharedText().get();
  RememberChoices();
  if (changed) {
    PortChosen();
    ProgramChosen();
    RelearnWads();
  }
  return true;
}

// Our own writes made the file's text anew (a buffer of replaced values packed): the lists
// show the same texts, now held there, and the old text can go. Nothing shown changes.
void frmQLN2::AdoptStoredText() {
  shownText_ = iniFile_.SharedText().get();
  std::optional<StoredLists> stored = ReadStoredLists(iniFile_);
  if (!stored) return;
  for (ListId id : kDropDowns) {
    std::vector<EntryTexts> items = Columns(std::move(stored->items[SlotOf(id)]));
    EntriesOf(DropDownOf(id))->Adopt(items);
  }
  EntriesOf(lstFiles)->Adopt(stored->files);
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
  SetCommandEnabled(CommandId::EditMap, !PlaceholderOrNone(cmbProgs));
}

}  // namespace quillon
