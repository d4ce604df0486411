#include <QCheckBox>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "core/files/PathHelpers.h"
#include "core/settings/NumberConversion.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/desktop/QtText.h"
#include "ui/main/frmQLN2.h"

namespace quillon {

namespace {

struct FileKindInfo {
  const char* title;
  const char* filter;
  std::initializer_list<std::string_view> extensions;
  const char* refusal;
};

const FileKindInfo& InfoOf(bool pwad) {
  static const FileKindInfo kPwad{"Select PWAD",
                                  "WAD Files (*.wad)|*.wad",
                                  {"wad"},
                                  "You must select a .wad file to add to this list;"};
  static const FileKindInfo kPatch{"Select Dehacked Patch",
                                   "Dehacked Patches (*.deh, *.bex)|*.deh;*.bex",
                                   {"deh", "bex"},
                                   "You must select a .deh or .bex file to add to this list;"};
  return pwad ? kPwad : kPatch;
}

bool Accepts(const FileKindInfo& info, const std::string& path) {
  const std::string ext = ExtensionOf(path);
  return std::find(info.extensions.begin(), info.extensions.end(), ext) != info.extensions.end();
}

QString Refusal(const char* refusal) {
  return QString::fromLatin1(refusal) + QStringLiteral("\r\nNo other file type is acceptable.");
}

// A drop may bring both kinds, so its refusal names every extension either button takes.
constexpr const char* kDropRefusal =
    "You must select a .wad, .deh or .bex file to add to this list;";

// The local files a drop carries, in the order they were dropped.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.push_back(Ss(url.toLocalFile()));
  }
  return paths;
}

}  // namespace

// Refused before the file dialog or a drop, so the user picks no file in vain.
bool frmQLN2::CustomFilesTakeMore(int more) {
  const ListKind& files = KindOf(ListId::Files);
  const EntryListModel& listed = *EntriesOf(lstFiles);
  const auto stored = StoredCount(iniFile_, files);
  if (!stored) {
    desktop_.Tell(this, Qs(UnreadableCountText(files)), MessageIcon::Exclamation);
    return false;
  }
  // The list was never read (the start-up refresh stopped before it): number 1 is taken.
  if (*stored != listed.Count()) {
    ShowIniError();
    return false;
  }
  // The configuration could not be read back with more entries than this.
  if (listed.Count() + more > kLargestList) {
    desktop_.Tell(this, Qs(ListFullText(files)), MessageIcon::Exclamation);
    return false;
  }
  return true;
}

void frmQLN2::AddCustomFile(FileKind kind) {
  if (!FollowFile()) {
    ShowIniError();
    return;
  }
  if (!CustomFilesTakeMore(1)) return;

  const FileKindInfo& info = InfoOf(kind == FileKind::PWAD);
  cdlOpen_.DialogTitle = QString::fromLatin1(info.title);
  cdlOpen_.InitDir.clear();
  cdlOpen_.Filter = QString::fromLatin1(info.filter);
  cdlOpen_.Flags = {.fileMustExist = true, .hideReadOnly = true};
  if (!cdlOpen_.ShowOpen()) return;

  const std::string path = Ss(cdlOpen_.FileName);
  if (!Accepts(info, path)) {
    desktop_.Tell(this, Refusal(info.refusal), MessageIcon::Exclamation);
    return;
  }
  AppendCustomFiles({path});
}

void frmQLN2::AppendCustomFiles(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  const ListKind& files = KindOf(ListId::Files);
  EntryListModel& listed = *EntriesOf(lstFiles);
  EntryTexts names;
  EntryTexts dirs;
  int n = listed.Count();
  for (const std::string& path : paths) {
    const std::string name = FileNameOf(path);
    ++n;
    names.Add(name);
    dirs.Add(DirectoryOf(path));
    iniFile_.Save(files.section, NameKey(files, n), name);
    iniFile_.Save(files.section, FileKey(files, n), path);
  }
  listed.Append(Columns(std::move(names), std::move(dirs)));
  // The count of what is listed, not the stored text plus more: "-1" + 1 would hide a file.
  iniFile_.Save(files.section, files.countKey, std::to_string(n));
  RelearnWads();
}

bool frmQLN2::AcceptsDrops() const {
  return chkEnableFiles->isChecked() && EntriesOf(lstFiles)->Count() < kLargestList;
}

void frmQLN2::DropFiles(const QDropEvent& event) {
  std::vector<std::string> accepted;
  bool refused = false;
  for (const std::string& path : DroppedFiles(event.mimeData())) {
    if (Accepts(InfoOf(true), path) || Accepts(InfoOf(false), path)) {
      accepted.push_back(path);
    } else {
      refused = true;
    }
  }
  if (!accepted.empty()) {
    if (!FollowFile()) {
      ShowIniError();
      return;
    }
    if (!CustomFilesTakeMore(static_cast<int>(accepted.size()))) return;
    AppendCustomFiles(accepted);
  }
  if (refused) desktop_.Tell(this, Refusal(kDropRefusal), MessageIcon::Exclamation);
}

void frmQLN2::MoveCustomFile(int step) {
  // The entries trade numbers in the file: the list must be the file's.
  if (!FollowFile()) {
    ShowIniError();
    return;
  }
  const QModelIndex current = lstFiles->currentIndex();
  if (!current.isValid() || !lstFiles->selectionModel()->isSelected(current)) return;
  const int s = current.row();
  const int t = s + step;
  EntryListModel& listed = *EntriesOf(lstFiles);
  if (t < 0 || t >= listed.Count()) return;
  // Qt's destination is the row the entry goes before, counted before the move.
  if (!listed.moveRows({}, s, 1, {}, step > 0 ? t + 1 : t)) return;
  lstFiles->setCurrentIndex(listed.index(t, 0));

  // The two entries trade their stored texts exactly as they are.
  const ListKind& files = KindOf(ListId::Files);
  for (const auto keyOf : {&NameKey, &FileKey}) {
    const std::string first = keyOf(files, s + 1);
    const std::string second = keyOf(files, t + 1);
    const std::string firstValue = iniFile_.LoadRaw(files.section, first);
    iniFile_.SaveRaw(files.section, first, iniFile_.LoadRaw(files.section, second));
    iniFile_.SaveRaw(files.section, second, firstValue);
  }
  RelearnWads();
}

bool frmQLN2::FilterFileListEvent(QObject* watched, QEvent* event) {
  if (watched == lstFiles && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier &&
        (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
      MoveCustomFile(key->key() == Qt::Key_Up ? -1 : 1);
      return true;
    }
    // Delete and Backspace do what Remove does, while Remove can be pressed.
    if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) &&
        ButtonOf(CommandId::RemoveFile)->isEnabled()) {
      RemoveCustomFile();
      return true;
    }
  }
  if (watched == lstFiles->viewport()) {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        const bool ok = AcceptsDrops() && !DroppedFiles(drag->mimeData()).empty();
        if (ok)
          drag->acceptProposedAction();
        else
          drag->ignore();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!AcceptsDrops()) {
          drop->ignore();
          return true;
        }
        drop->acceptProposedAction();
        DropFiles(*drop);
        return true;
      }
      default:
        break;
    }
  }
  return false;
}

void frmQLN2::RemoveCustomFile() {
  if (!FollowFile()) {
    ShowIniError();
    return;
  }
  const QModelIndex current = lstFiles->currentIndex();
  if (!current.isValid() || !lstFiles->selectionModel()->isSelected(current)) {
    desktop_.Tell(this, QStringLiteral("No file selected."), MessageIcon::Exclamation);
    return;
  }
  const int s = current.row();
  EntryListModel& listed = *EntriesOf(lstFiles);
  const int total = listed.Count();
  listed.removeRows(s, 1);
  lstFiles->selectionModel()->clear();
  RelearnWads();

  // Every later entry moves down one number; the old last number is emptied.
  const ListKind& files = KindOf(ListId::Files);
  for (int m = s + 1; m < total; ++m) {
    iniFile_.SaveRaw(files.section, NameKey(files, m),
                     iniFile_.LoadRaw(files.section, NameKey(files, m + 1)));
    iniFile_.SaveRaw(files.section, FileKey(files, m),
                     iniFile_.LoadRaw(files.section, FileKey(files, m + 1)));
  }
  iniFile_.Save(files.section, NameKey(files, total), "");
  iniFile_.Save(files.section, FileKey(files, total), "");

  // A count that is no number is rebuilt from the list, so the file matches the window.
  const auto count = ToInt16(iniFile_.Load(files.section, files.countKey));
  iniFile_.Save(files.section, files.countKey, std::to_string(count ? *count - 1 : listed.Count()));
}

}  // namespace quillon
