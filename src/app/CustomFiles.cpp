#include <QCheckBox>
#include <QItemSelectionModel>
#include <QListView>

#include "app/frmQLN2.h"
#include "settings/NumberConversion.h"
#include "shell/Desktop.h"
#include "shell/EntryListModel.h"
#include "shell/PathHelpers.h"
#include "shell/QtText.h"

namespace quillon {

namespace {

struct FileKindInfo {
  const char* title;
  const char* filter;
  std::initializer_list<std::string_view> extensions;
  const char* refusal;
};

const FileKindInfo& InfoOf(bool pwad) {
  static const FileKindInfo kPwad{"Select PWAD", "WAD Files (*.wad)|*.wad", {"wad"},
                                  "You must select a .wad file to add to this list;"};
  static const FileKindInfo kPatch{"Select Dehacked Patch",
                                   "Dehacked Patches (*.deh, *.bex)|*.deh;*.bex",
                                   {"deh", "bex"},
                                   "You must select a .deh or .bex file to add to this list;"};
  return pwad ? kPwad : kPatch;
}

}  // namespace

void frmQLN2::AddCustomFile(FileKind kind) {
  const ListKind& files = KindOf(ListId::Files);
  // Refused before the file dialog, so the user picks no file in vain.
  EntryListModel& listed = *EntriesOf(lstFiles);
  const auto stored = StoredCount(iniFile_, files);
  if (!stored) {
    desktop_.Tell(this, Qs(UnreadableCountText(files)), MessageIcon::Exclamation);
    return;
  }
  // The list was never read (the start-up refresh stopped before it): number 1 is taken.
  if (*stored != listed.Count()) {
    ShowIniError();
    return;
  }
  // The configuration could not be read back with one more entry than this.
  if (listed.Count() >= kLargestList) {
    desktop_.Tell(this, Qs(ListFullText(files)), MessageIcon::Exclamation);
    return;
  }

  const FileKindInfo& info = InfoOf(kind == FileKind::PWAD);
  cdlOpen_.DialogTitle = QString::fromLatin1(info.title);
  cdlOpen_.InitDir.clear();
  cdlOpen_.Filter = QString::fromLatin1(info.filter);
  cdlOpen_.Flags = CommonDialog::kFileMustExist | CommonDialog::kHideReadOnly;
  if (!cdlOpen_.ShowOpen()) return;

  const std::string path = Ss(cdlOpen_.FileName);
  const std::string ext = ExtensionOf(path);
  if (std::find(info.extensions.begin(), info.extensions.end(), ext) == info.extensions.end()) {
    desktop_.Tell(
        this,
        QString::fromLatin1(info.refusal) + QStringLiteral("\r\nNo other file type is acceptable."),
        MessageIcon::Exclamation);
    return;
  }

  const std::string name = FileNameOf(path);
  const int n = listed.Count() + 1;
  listed.Append({{Qs(name)}, {Qs(DirectoryOf(path))}});

  iniFile_.Save(files.section, NameKey(files, n), name);
  iniFile_.Save(files.section, FileKey(files, n), path);
  // The count of what is listed, not the stored text plus one: "-1" + 1 would hide this file.
  iniFile_.Save(files.section, files.countKey, std::to_string(n));
}

void frmQLN2::RemoveCustomFile() {
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

  // Every later entry moves down one number; the old last number is emptied.
  const ListKind& files = KindOf(ListId::Files);
  for (int m = s + 1; m < total; ++m) {
    iniFile_.Save(files.section, NameKey(files, m),
                  iniFile_.LoadRaw(files.section, NameKey(files, m + 1)));
    iniFile_.Save(files.section, FileKey(files, m),
                  iniFile_.LoadRaw(files.section, FileKey(files, m + 1)));
  }
  iniFile_.Save(files.section, NameKey(files, total), "");
  iniFile_.Save(files.section, FileKey(files, total), "");

  // A count that is no number is rebuilt from the list, so the file matches the window.
  const auto count = ToInt16(iniFile_.Load(files.section, files.countKey));
  iniFile_.Save(files.section, files.countKey, std::to_string(count ? *count - 1 : listed.Count()));
}

}  // namespace quillon
