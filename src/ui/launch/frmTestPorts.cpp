#include "ui/launch/frmTestPorts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
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
  lblVerdict = MakeControl<QLabel>(this, "lblVerdict");
  lblVerdict->setWordWrap(true);
  lblVerdict->setTextInteractionFlags(Qt::TextSelectableByMouse);
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
  layout->addWidget(lblVerdict);
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
  ShowVerdicts();
  tester_.WatchVerdicts([this] { ShowVerdicts(); });

  connect(lstPorts, &QListWidget::itemChanged, this, &frmTestPorts::ChecksChanged);
  connect(lstPorts, &QListWidget::currentRowChanged, this, &frmTestPorts::ShowCurrentVerdict);
  connect(cmdTest, &QPushButton::clicked, this, &frmTestPorts::TestChecked);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

  resize(kFirstSize.expandedTo(sizeHint()));
  CentreOnScreen(this, desktop.ScreenSize());
}

frmTestPorts::~frmTestPorts() {
  tester_.WatchVerdicts({});
}

void frmTestPorts::ShowVerdicts() {
  const QSignalBlocker quiet(lstPorts);  // a new tip or mark is no change of the checks
  const QIcon failing = style()->standardIcon(QStyle::SP_MessageBoxWarning);
  for (int row = 0; row < lstPorts->count(); ++row) {
    QListWidgetItem* item = lstPorts->item(row);
    const ShownVerdict verdict = tester_.VerdictOf(row + 1);
    item->setToolTip(verdict.details.isEmpty() ? verdict.line : verdict.details);
    item->setIcon(verdict.fails ? failing : QIcon());
  }
  ShowCurrentVerdict();
}

void frmTestPorts::ShowCurrentVerdict() {
  const QListWidgetItem* item = lstPorts->currentItem();
  const QString line = item ? item->toolTip() : QString();
  lblVerdict->setText(line);
  lblVerdict->setVisible(!line.isEmpty());
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
