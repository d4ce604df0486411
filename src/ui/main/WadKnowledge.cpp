#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFileSystemWatcher>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <set>

#include "core/files/PathHelpers.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/desktop/QtText.h"
#include "ui/main/frmQLN2.h"

namespace quillon {

namespace {

// Said by the list and by each of its files.
constexpr const char* kFileListTip =
    "Drop .wad, .deh and .bex files here to add them. Alt+Up and Alt+Down move the selected "
    "file earlier or later in the load order.";
constexpr const char* kFileOrderHint = "Alt+Up / Alt+Down: earlier / later in the load order";

std::string FullPath(const CustomFile& file) {
  return DirectoryOf(file.location) + file.name;
}

}  // namespace

void frmQLN2::CreateWadKnowledge() {
  wadFacts_ = new WadFacts(this);
  CreateAnalyses();
  mapChoices_ = new MapChoiceModel(this);
  warpCompleter_ = new QCompleter(mapChoices_, this);
  warpCompleter_->setObjectName(QStringLiteral("warpCompleter"));
  // Matches and completes on the bare map name; the list also shows the file.
  warpCompleter_->setCompletionRole(Qt::EditRole);
  warpCompleter_->setCaseSensitivity(Qt::CaseInsensitive);
  warpCompleter_->setModelSorting(QCompleter::UnsortedModel);
  txtWarp->setCompleter(warpCompleter_);
  lstFiles->setToolTip(QString::fromLatin1(kFileListTip));

  // Asked only for the rows on show, so a long list costs nothing until it is looked at.
  EntriesOf(lstFiles)->SetRoleProvider([this](int row, int column, int role) -> QVariant {
    if (column != 0) return {};
    const EntryListModel& listed = *EntriesOf(lstFiles);
    const CustomFile file{Ss(listed.Text(row, 0)), Ss(listed.Text(row, 1))};
    QString hint = QString::fromLatin1(kFileOrderHint);
    if (role == Qt::ToolTipRole && ExtensionOf(file.name) == "wad") {
      const QString needs = NeedsTip(analyses_->Find(FullPath(file)));
      if (!needs.isEmpty()) hint = needs + u'\n' + hint;
    }
    return FileItemData(wadFacts_->DescriptionOf(FullPath(file)), role, hint);
  });
  EntriesOf(cmbIWADs)->SetRoleProvider([this](int row, int, int role) -> QVariant {
    // The last entry is the list's placeholder, no file.
    if (role != Qt::ToolTipRole && role != Qt::DecorationRole) return {};
    if (row + 1 >= EntriesOf(cmbIWADs)->Count()) return {};
    const ListKind& iwads = KindOf(ListId::IWADs);
    return FileItemData(
        wadFacts_->IwadDescriptionOf(iniFile_.LoadWhole(iwads.section, FileKey(iwads, row + 1))),
        role);
  });

  fileFolders_ = new QFileSystemWatcher(this);
  connect(fileFolders_, &QFileSystemWatcher::directoryChanged, this, &frmQLN2::RelearnWads);

  connect(wadFacts_, &WadFacts::Described, this, &frmQLN2::ShowDescriptions);
  connect(wadFacts_, &WadFacts::MapsFound, this, &frmQLN2::ShowMaps);
  connect(cmbIWADs, &QComboBox::currentIndexChanged, this, &frmQLN2::RelearnWads);
  connect(chkEnableFiles, &QCheckBox::toggled, this, &frmQLN2::RelearnWads);
}

void frmQLN2::SetIwadPlaces(IwadPlaces places) {
  wadFacts_->SetPlaces(std::move(places));
  RelearnWads();
}

void frmQLN2::RelearnWads() {
  if (relearnPending_) return;
  relearnPending_ = true;
  QTimer::singleShot(0, this, &frmQLN2::LearnWads);
}

// Only what the window already holds is gathered here; every file is read on the worker,
// and a file is described only once a row showing it asks.
void frmQLN2::LearnWads() {
  relearnPending_ = false;
  const LaunchOptionValues options = ReadOptions(ListValue::EntryFile);
  const std::string port = options.Text(LaunchOptionId::Port);

  // The port loads only the PWADs, and only while the list is enabled. Read from the list's
  // own texts and handed on as one text: a list of 32 766 files costs no string per file.
  std::string loaded;
  std::set<QString> folders;
  const EntryListModel& listed = *EntriesOf(lstFiles);
  const bool enabled = chkEnableFiles->isChecked();
  std::string_view lastFolder;
  for (int row = 0; row < listed.Count(); ++row) {
    const std::string_view name = listed.Utf8(row, 0);
    const std::string_view folder = DirectoryPartOf(listed.Utf8(row, 1));
    // As FullPath has it; no path holds a NUL, which ends each one.
    if (enabled && HasExtension(name, "wad")) loaded.append(folder).append(name).push_back('\0');
    // Files of one folder mostly stand together in the list.
    if (!folder.empty() && folder != lastFolder) {
      folders.insert(Qs(folder));
      lastFolder = folder;
    }
  }
  WatchFileFolders(folders);

  LearnNeeds();
  // Before the first paint nothing has asked yet, and 32 766 rows need not be told.
  if (wadFacts_->Relearn(port)) ShowDescriptions();
  wadFacts_->FindMaps(options.Text(LaunchOptionId::IWAD), port, std::move(loaded));
}

void frmQLN2::WatchFileFolders(const std::set<QString>& folders) {
  const QStringList watchedNow = fileFolders_->directories();
  const QSet<QString> watched(watchedNow.begin(), watchedNow.end());
  QStringList gone;
  for (const QString& folder : watchedNow) {
    if (!folders.contains(folder)) gone << folder;
  }
  if (!gone.isEmpty()) fileFolders_->removePaths(gone);
  QStringList added;
  for (const QString& folder : folders) {
    if (!watched.contains(folder)) added << folder;
  }
  // A folder that is not there cannot be watched; the file is marked missing already.
  if (!added.isEmpty()) fileFolders_->addPaths(added);
}

// The providers read the descriptions as the rows show, and ask for those not known; this
// repaints the rows on show, which then ask again.
void frmQLN2::ShowDescriptions() {
  for (EntryListModel* listed : {EntriesOf(lstFiles), EntriesOf(cmbIWADs)}) {
    if (listed->Count() > 0) listed->ProvidedRolesChanged(0, listed->Count() - 1);
  }
}

void frmQLN2::ShowMaps() {
  mapChoices_->SetChoices(wadFacts_->Maps());
  ShowMapTitles();
}

// The title `file` gives map `map`, empty where it gives none or is not analysed yet.
std::string frmQLN2::MapTitle(const std::string& file, const std::string& map) const {
  std::string title;
  if (const auto needs = analyses_->Find(file)) {
    for (const wad::MapNeeds& each : needs->maps) {
      if (each.name == map) title = each.title;
    }
  }
  return title;
}

// Titles come from the file that supplies each map, and may arrive after the maps.
void frmQLN2::ShowMapTitles() {
  std::vector<std::string> titles;
  for (const wad::MapChoice& choice : wadFacts_->Maps()) {
    titles.push_back(MapTitle(choice.file, choice.map));
  }
  mapChoices_->SetTitles(std::move(titles));
  // The list shows each map with its title and file, wider than the short box it completes.
  QAbstractItemView* popup = warpCompleter_->popup();
  const QFontMetrics metrics(popup->font());
  int widest = 0;
  for (int row = 0; row < mapChoices_->rowCount(); ++row) {
    const QString shown = mapChoices_->index(row).data(Qt::DisplayRole).toString();
    widest = std::max(widest, metrics.horizontalAdvance(shown));
  }
  popup->setMinimumWidth(widest + popup->verticalScrollBar()->sizeHint().width() +
                         2 * popup->frameWidth() + 2 * metrics.averageCharWidth());
}

}  // namespace quillon
