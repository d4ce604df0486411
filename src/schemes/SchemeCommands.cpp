#include "schemes/SchemeCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "schemes/SchemeFormat.h"
#include "settings/ConfigLayout.h"
#include "shell/AppTexts.h"
#include "shell/CommonDialog.h"
#include "shell/Desktop.h"
#include "shell/QtText.h"

namespace quillon {

namespace {

constexpr const char* kSchemeFilter = "QLN Schemes (*.qls)|*.qls";

// A load stops at the first value it cannot use; what it applied before stays.
struct LoadFailed {};

bool Require(std::optional<bool> flag) {
  if (!flag) throw LoadFailed{};
  return *flag;
}

// Selects the last entry showing exactly `saved`; without one, says so and selects the
// placeholder.
void SelectSaved(QComboBox* list, const QString& saved, const QString& what, Desktop& desktop,
                 QWidget* owner) {
  int match = -1;
  for (int i = 0; i < list->count(); ++i) {
    if (list->itemText(i) == saved) match = i;
  }
  if (match < 0) {
    desktop.ShowMessage(owner,
                        QStringLiteral("The %1 you saved with this scheme, \"%2,\" no longer exists "
                                       "in your %1 list.\r\nYou should choose another %1 or add "
                                       "this %1 back into the list.")
                            .arg(what, saved),
                        QString::fromLatin1(kAppTitle), MessageIcon::None, MessageButtons::Ok);
    match = list->count() - 1;
  }
  list->setCurrentIndex(match);
}

}  // namespace

void SaveScheme(CommonDialog& cdlOpen, ReadWrite& schemeFile, const SchemeControls& c) {
  cdlOpen.Filter = QString::fromLatin1(kSchemeFilter);
  cdlOpen.Flags = CommonDialog::kOverwritePrompt | CommonDialog::kHideReadOnly;
  cdlOpen.DialogTitle = QStringLiteral("Save Scheme As...");
  if (!cdlOpen.ShowSave()) return;

  SchemeOptions options;
  options.port = Ss(c.ports->currentText());
  options.iwad = Ss(c.iwads->currentText());
  options.params = Ss(c.params->text());
  options.exitOnTest = c.closeOnTest->isChecked();
  options.warp = c.warp->isChecked();
  options.warpTo = Ss(c.warpTo->text());
  options.noMonsters = c.noMonsters->isChecked();
  options.noMusic = c.noMusic->isChecked();
  options.noSound = c.noSound->isChecked();
  options.noCD = c.noCD->isChecked();
  options.openGL = c.openGL->isChecked();
  options.useFiles = c.enableFiles->isChecked();
  const int count = c.files->count();
  options.files.reserve(static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) {
    const QListWidgetItem* dir = c.fileDirs->item(k);
    options.files.push_back({Ss(c.files->item(k)->text()), dir ? Ss(dir->text()) : ""});
  }
  WriteScheme(schemeFile, Ss(cdlOpen.FileName), options);
}

void LoadScheme(CommonDialog& cdlOpen, ReadWrite& schemeFile, ReadWrite& iniFile,
                Desktop& desktop, QWidget* owner, const SchemeControls& c) {
  cdlOpen.Filter = QString::fromLatin1(kSchemeFilter);
  cdlOpen.Flags = CommonDialog::kFileMustExist | CommonDialog::kHideReadOnly;
  cdlOpen.DialogTitle = QStringLiteral("Open Scheme");
  if (!cdlOpen.ShowOpen()) return;

  const SchemeReader scheme(schemeFile, Ss(cdlOpen.FileName));
  try {
    // An empty port marks a file that is no scheme under its present name.
    const QString port = Qs(scheme.Text(scheme::kPort));
    if (port.isEmpty()) throw LoadFailed{};
    SelectSaved(c.ports, port, QStringLiteral("port"), desktop, owner);
    SelectSaved(c.iwads, Qs(scheme.Text(scheme::kIWAD)), QStringLiteral("IWAD"), desktop, owner);

    c.params->setText(Qs(scheme.Text(scheme::kParams)));
    c.closeOnTest->setChecked(Require(scheme.Flag(scheme::kExitOnTest)));
    c.setWarp(Require(scheme.Flag(scheme::kWarp)));
    const QString level = Qs(scheme.Text(scheme::kWarpTo));
    if (!level.isEmpty()) c.warpTo->setText(level);

    const std::pair<std::string_view, QCheckBox*> flags[] = {
        {scheme::kNoMonsters, c.noMonsters}, {scheme::kNoMusic, c.noMusic},
        {scheme::kNoSound, c.noSound},       {scheme::kNoCD, c.noCD},
        {scheme::kOpenGL, c.openGL},
    };
    for (const auto& [key, box] : flags) box->setChecked(Require(scheme.Flag(key)));
    c.setUseFiles(Require(scheme.Flag(scheme::kUseFiles)));

    const auto count = scheme.Number(scheme::kNumFiles);
    // A count the configuration could not read back at the next start is refused here.
    if (!count || *count >= kMaxListCount) throw LoadFailed{};

    const ListKind& files = KindOf(ListId::Files);
    iniFile.Save(files.section, files.countKey, scheme.Text(scheme::kNumFiles));
    c.files->clear();
    c.fileDirs->clear();
    QStringList names;
    QStringList dirs;
    for (int n = 1; n <= *count; ++n) {
      const std::string name = scheme.Text(NameKey(files, n));
      const std::string dir = scheme.Text(FileKey(files, n));
      names << Qs(name);
      dirs << Qs(dir);
      iniFile.Save(files.section, NameKey(files, n), name);
      iniFile.Save(files.section, FileKey(files, n), dir);
    }
    c.files->addItems(names);
    c.fileDirs->addItems(dirs);
  } catch (const LoadFailed&) {
    desktop.ShowMessage(owner,
                        QStringLiteral("Error reading scheme file. This may be because you tried "
                                       "to load a scheme from an older version of Quillon."),
                        QString::fromLatin1(kAppTitle), MessageIcon::Exclamation,
                        MessageButtons::Ok);
  }
}

}  // namespace quillon
