#include <QListView>
#include <algorithm>

#include "core/schemes/SchemeFormat.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/desktop/QtText.h"
#include "ui/main/frmQLN2.h"

namespace quillon {

namespace {
constexpr const char* kSchemeFilter = "QLN Schemes (*.qls)|*.qls";
}  // namespace

// Program > Save Scheme: the options, each list's as it shows, into a file of the user's choice.
void frmQLN2::SaveScheme() {
  cdlOpen_.Filter = QString::fromLatin1(kSchemeFilter);
  cdlOpen_.Flags = {.hideReadOnly = true, .overwritePrompt = true};
  cdlOpen_.DialogTitle = QStringLiteral("Save Scheme As...");
  if (!cdlOpen_.ShowSave()) return;
  const std::string path = Ss(cdlOpen_.FileName);
  if (const auto why =
          WriteScheme(schemeFile_, path, ReadOptions(ListValue::Shown), ListedCustomFiles())) {
    desktop_.Tell(this,
                  QStringLiteral("Could not save the scheme to ") + Qs(path) +
                      QStringLiteral(": ") + Qs(*why) + u'.',
                  MessageIcon::Exclamation);
  }
}

// Program > Load Scheme: the options back, one at a time in the scheme's order, each applied
// as it is read; the first one that cannot be used stops the load and what was applied before
// stays. The custom file list also goes into the configuration file.
void frmQLN2::LoadScheme() {
  cdlOpen_.Filter = QString::fromLatin1(kSchemeFilter);
  cdlOpen_.Flags = {.fileMustExist = true, .hideReadOnly = true};
  cdlOpen_.DialogTitle = QStringLiteral("Open Scheme");
  if (!cdlOpen_.ShowOpen()) return;

  const SchemeReader scheme(schemeFile_, Ss(cdlOpen_.FileName));
  const auto load = [&]() {
    // An empty port marks a file that is no scheme under its present name.
    if (scheme.Text(OptionOf(LaunchOptionId::Port).key).empty()) return false;
    for (const LaunchOption* option : OptionsInOrder(OptionOrder::Scheme)) {
      if (!ApplyOption(*option, scheme.Text(option->key), ListValue::Shown)) return false;
    }

    const auto count = scheme.Number(scheme::kNumFiles);
    // A count the configuration could not read back at the next start is refused here.
    if (!count || *count >= kMaxListCount) return false;

    // The number of files loaded, not the scheme's text: a later Add counts on from it.
    const int loaded = std::max<int>(*count, 0);
    const ListKind& files = KindOf(ListId::Files);
    iniFile_.Save(files.section, files.countKey, std::to_string(loaded));
    EntryTexts names;
    EntryTexts dirs;
    for (int n = 1; n <= loaded; ++n) {
      const std::string name = scheme.Text(NameKey(files, n));
      const std::string dir = scheme.Text(FileKey(files, n));
      names.Add(name);
      dirs.Add(dir);
      iniFile_.Save(files.section, NameKey(files, n), name);
      iniFile_.Save(files.section, FileKey(files, n), dir);
    }
    EntriesOf(lstFiles)->Reset(Columns(std::move(names), std::move(dirs)));
    RelearnWads();
    return true;
  };
  if (!load()) {
    desktop_.Tell(this,
                  QStringLiteral("Error reading scheme file. This may be because you tried "
                                 "to load a scheme from an older version of Quillon."),
                  MessageIcon::Exclamation);
  }
}

}  // namespace quillon
