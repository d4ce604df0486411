#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "app/frmQLN2.h"
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

  desktop_.Launch(this, BuildTestLaunch(options));
  // Closes even when the start failed: the user asked to leave once Test was pressed.
  if (chkCloseOnTest->isChecked()) close();
}

void frmQLN2::LaunchProgram() {
  const std::string path = EntryFile(IniFile, ListId::Programs, cmbProgs->currentIndex());
  desktop_.Launch(this, {path, Ss(txtProgParams->text()), DirectoryOf(path),
                         LaunchRequest::Show::Normal});
}

void frmQLN2::ShowHelpFile() {
  const std::string file = Ss(helpFile_);
  std::string dir = DirectoryOf(file);
  if (dir.size() > 1) dir.pop_back();  // the folder as it is named, without its separator
  desktop_.Launch(this, {file, "", dir, LaunchRequest::Show::Normal});
}

}  // namespace quillon
