#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "app/frmQLN2.h"
#include "shell/AppTexts.h"
#include "shell/Desktop.h"
#include "shell/PathHelpers.h"
#include "shell/QtText.h"
#include "shell/TestLaunch.h"

namespace quillon {

namespace {
// The file key of the entry at a list position, read at the moment of the click.
std::string EntryFile(const ReadWrite& ini, ListId id, int position) {
  const ListKind& kind = KindOf(id);
  return ini.Load(kind.section, FileKey(kind, position + 1));
}

// Starts the request; when it cannot start, says why and returns false.
bool StartOrTell(Desktop& desktop, QWidget* owner, const LaunchRequest& request) {
  const LaunchResult result = desktop.Launch(owner, request);
  if (result.Started()) return true;
  desktop.ShowMessage(owner,
                      QStringLiteral("Could not start ") + Qs(request.File) + QStringLiteral(": ") +
                          Qs(result.failure) + u'.',
                      QString::fromLatin1(kAppTitle), MessageIcon::Exclamation, MessageButtons::Ok);
  return false;
}
}  // namespace

void frmQLN2::cmdTest_Click() {
  TestOptions options;
  options.portPath = EntryFile(IniFile, ListId::Ports, cmbPorts->currentIndex());
  if (!PlaceholderOrNone(cmbIWADs)) {
    options.iwadFile = EntryFile(IniFile, ListId::IWADs, cmbIWADs->currentIndex());
  }
  // Unchecking "Enable" leaves the files off the command line; the list stays as it is.
  if (chkEnableFiles->isChecked()) {
    options.files.reserve(static_cast<std::size_t>(lstFiles->count()));
    for (int k = 0; k < lstFiles->count(); ++k) {
      const QListWidgetItem* dir = lstFileDirs->item(k);
      options.files.push_back({Ss(lstFiles->item(k)->text()), dir ? Ss(dir->text()) : ""});
    }
  }
  options.warp = chkWarp->isChecked();
  options.warpText = Ss(txtWarp->text());
  options.params = Ss(txtParams->text());
  options.noMonsters = chkNoMonsters->isChecked();
  options.noMusic = chkNoMusic->isChecked();
  options.noSound = chkNoSound->isChecked();
  options.openGL = chkGLmode->isChecked();
  options.noCD = chkNoCD->isChecked();

  LaunchRequest request = BuildTestLaunch(options);
  // Watched: its output goes to a log, and a failure is shown.
  request.LogDirectory = Ss(logDir_);
  request.Title = Ss(cmbPorts->currentText());
  // A failed start keeps the window open, so the user can read why and fix the entry.
  if (!StartOrTell(desktop_, this, request)) return;
  if (chkCloseOnTest->isChecked()) close();
}

void frmQLN2::LaunchProgram() {
  const std::string path = EntryFile(IniFile, ListId::Programs, cmbProgs->currentIndex());
  LaunchRequest request;
  request.File = path;
  request.Parameters = Ss(txtProgParams->text());
  request.Directory = DirectoryOf(path);
  request.Title = Ss(cmbProgs->currentText());
  StartOrTell(desktop_, this, request);
}

void frmQLN2::ShowHelpFile() {
  // Opened, never executed, even where the file system marks every file executable.
  desktop_.OpenDocument(helpFile_);
}

}  // namespace quillon
