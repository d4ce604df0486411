#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "app/frmQLN2.h"
#include "shell/Desktop.h"
#include "shell/PathHelpers.h"
#include "shell/QtText.h"
#include "shell/TestLaunch.h"

namespace quillon {

namespace {
// Starts the request; when it cannot start, says why and returns false.
bool StartOrTell(Desktop& desktop, QWidget* owner, const LaunchRequest& request) {
  const LaunchResult result = desktop.Launch(owner, request);
  if (result.Started()) return true;
  desktop.Tell(owner,
               QStringLiteral("Could not start ") + Qs(request.File) + QStringLiteral(": ") +
                   Qs(result.failure) + u'.',
               MessageIcon::Exclamation);
  return false;
}
}  // namespace

// The port and IWAD files are read from the configuration at the moment of the click.
void frmQLN2::TestGame() {
  const LaunchOptionValues options = ReadOptions(ListValue::EntryFile);
  LaunchRequest request = BuildTestLaunch(options, ListedCustomFiles());
  // Watched: its output goes to a log, and a failure is shown.
  request.LogDirectory = Ss(logDir_);
  request.Title = Ss(cmbPorts->currentText());
  // A failed start keeps the window open, so the user can read why and fix the entry.
  if (!StartOrTell(desktop_, this, request)) return;
  if (options.IsOn(LaunchOptionId::ExitOnTest)) close();
}

void frmQLN2::LaunchProgram() {
  const LaunchOptionValues options = ReadOptions(ListValue::EntryFile);
  LaunchRequest request;
  request.File = options.Text(LaunchOptionId::Prog);
  request.Parameters = options.Text(LaunchOptionId::ProgParams);
  request.Directory = DirectoryOf(request.File);
  request.Title = Ss(cmbProgs->currentText());
  StartOrTell(desktop_, this, request);
}

void frmQLN2::ShowHelpFile() {
  // Opened, never executed, even where the file system marks every file executable.
  desktop_.OpenDocument(helpFile_);
}

}  // namespace quillon
