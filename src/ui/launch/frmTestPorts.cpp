#include "ui/launch/frmTestPorts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/files/PathHelpers.h"
#include "core/settings/ConfigLayout.h"
#include "core/settings/EntryNumbers.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/EntryListModel.h"
#include "ui/desktop/PortFamilyText.h"
#include "ui/desktop/QtText.h"
#include "ui/desktop/WindowParts.h"
#include "ui/launch/PortTester.h"

namespace quillon {

namespace {
// Room for a dozen port names before the list scrolls; the user may make it larger.
constexpr QSize kFirstSize(320, 340);
}  // namespace

frmTestPorts::frmTestPorts(PortTester& tester, Desktop& desktop, const QString& programDir,
                           QWidget* parent)
    : QDialog(parent), tester_(tester) {
  setObjectName(QStringLiteral("frmTestPorts"));
  setWindowTitle(QStringLiteral("Test in Several Ports"));
  iniFile_.SetFileName(JoinPath(Ss(programDir), kIniFileName));

  lblPorts = MakeControl<QLabel>(this, "lblPorts", QStringLiteral("&Ports to test:"));
  lstPorts = MakeControl<QListWidget>(this, "lstPorts", {},
                                      QStringLiteral("Check every port the game should start in."));
  lblPorts->setBuddy(lstPorts);
  // The family beside each name tells which command line each port is given.
  lstPorts->setItemDelegate(new AsideDelegate(lstPorts));
  cmdTest = MakeControl<QPushButton>(this, "cmdTest", QStringLiteral("Test"),
                                     QStringLiteral("Start every checked port"));
  cmdTest->setDefault(true);
  cmdCancel = MakeControl<QPushButton>(this, "cmdCancel", QStringLiteral("Cancel"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdTest);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblPorts);
  layout->addWidget(lstPorts, 1);
  layout->addLayout(buttons);

  const std::vector<int> remembered =
      ParseEntryNumbers(iniFile_.Load(memory::kSection, memory::kTestPorts));
  const QStringList names = tester_.PortNames();
  for (int i = 0; i < names.size(); ++i) {
    auto* item = new QListWidgetItem(names[i], lstPorts);
    item->setData(kAsideRole, KnownFamilyText(iniFile_, i + 1));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    const bool checked = std::find(remembered.begin(), remembered.end(), i + 1) != remembered.end();
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }
  if (lstPorts->count() > 0) lstPorts->setCurrentRow(0);
  lstPorts->setFocus();
  ChecksChanged();

  connect(lstPorts, &QListWidget::itemChanged, this, &frmTestPorts::ChecksChanged);
  connect(cmdTest, &QPushButton::clicked, this, &frmTestPorts::TestChecked);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

  resize(kFirstSize.expandedTo(sizeHint()));
  CentreOnScreen(this, desktop.ScreenSize());
}

std::vector<int> frmTestPorts::CheckedEntries() const {
  std::vector<int> entries;
  for (int row = 0; row < lstPorts->count(); ++row) {
    if (lstPorts->item(row)->checkState() == Qt::Checked) entries.push_back(row + 1);
  }
  return entries;
}

// Nothing checked, nothing to start.
void frmTestPorts::ChecksChanged() {
  cmdTest->setEnabled(!CheckedEntries().empty());
}

void frmTestPorts::TestChecked() {
  const std::vector<int> entries = CheckedEntries();
  if (entries.empty()) return;
  iniFile_.Save(memory::kSection, memory::kTestPorts, JoinEntryNumbers(entries));
  // Closed first, so a message about a port that could not start stands over the main window.
  accept();
  allStarted_ = tester_.TestPorts(entries);
}

}  // namespace quillon
