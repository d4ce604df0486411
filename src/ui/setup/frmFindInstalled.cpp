#include "ui/setup/frmFindInstalled.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <exception>

#include "core/files/PathHelpers.h"
#include "core/launch/PortFamily.h"
#include "ui/desktop/Desktop.h"
#include "ui/desktop/QtText.h"
#include "ui/setup/EntryWrites.h"
#include "ui/setup/SetupTable.h"

namespace quillon {

namespace {

constexpr int kNameRole = Qt::UserRole;
constexpr int kFileRole = Qt::UserRole + 1;
constexpr int kFamilyRole = Qt::UserRole + 2;  // the Port<n>Family to write; empty: none

// Room for a few entries with their full paths before the window needs to grow.
constexpr QSize kListSize{460, 110};

QString Counted(qsizetype count, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(count).arg(QString::fromLatin1(count == 1 ? one : many));
}

void Fill(QListWidget* list, const std::vector<installed::Found>& found) {
  for (const installed::Found& entry : found) {
    QString text = Qs(entry.name) + QStringLiteral("  \u2014  ") + Qs(entry.path);
    if (entry.listed) text += QStringLiteral("  (already in the list)");
    auto* item = new QListWidgetItem(text, list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(entry.listed ? Qt::Unchecked : Qt::Checked);
    item->setData(kNameRole, Qs(entry.name));
    item->setData(kFileRole, Qs(entry.path));
    // Written only where the name would not give the family: the entry stays as one added by
    // hand would be.
    if (entry.family && entry.family != FamilyFromName(entry.path)) {
      item->setData(kFamilyRole, Qs(FamilyOf(*entry.family).key));
    }
    item->setToolTip(Qs(entry.path));
  }
  if (list->count() > 0) list->setCurrentRow(0);
}

}  // namespace

frmFindInstalled::frmFindInstalled(Desktop& desktop, const QString& programDir,
                                   MainWindowLists& mainLists, installed::SearchPlaces places,
                                   QWidget* owner)
    : frmFindInstalled(
          desktop, programDir, mainLists,
          [places = std::move(places)](const installed::Listed& listed, std::stop_token stop) {
            return installed::FindInstalled(places, listed, stop);
          },
          owner) {}

frmFindInstalled::frmFindInstalled(Desktop& desktop, const QString& programDir,
                                   MainWindowLists& mainLists, Search search, QWidget* owner)
    : QDialog(owner), desktop_(desktop), mainLists_(mainLists) {
  setObjectName(QStringLiteral("frmFindInstalled"));
  setWindowTitle(QStringLiteral("Find Installed Ports and IWADs"));
  CreateControls();
  adjustSize();
  CentreOnScreen(this, desktop_.ScreenSize());
  iniFile_.SetFileName(JoinPath(Ss(programDir), kIniFileName));

  // What the lists hold now; the dialog is modal, so nothing else changes them meanwhile.
  installed::Listed listed;
  for (const auto& [id, stored] :
       {std::pair{ListId::Ports, &listed.portPaths}, std::pair{ListId::IWADs, &listed.iwadFiles}}) {
    const ListKind& kind = KindOf(id);
    const int count = StoredCount(iniFile_, kind).value_or(0);
    for (int entry = 1; entry <= count; ++entry) {
      stored->push_back(iniFile_.LoadWhole(kind.section, FileKey(kind, entry)));
    }
  }
  search_ = std::jthread(
      [this, search = std::move(search), listed = std::move(listed)](std::stop_token stop) {
        // An exception leaving the thread would end the program; finding nothing is better.
        installed::Findings findings;
        try {
          findings = search(listed, stop);
        } catch (const std::exception&) {
          findings = {};
        }
        if (stop.stop_requested()) return;
        // Queued to the dialog: a dialog already gone drops it.
        QMetaObject::invokeMethod(
            this, [this, findings = std::move(findings)] { ShowFindings(findings); },
            Qt::QueuedConnection);
      });
}

frmFindInstalled::~frmFindInstalled() {
  search_.request_stop();
  if (search_.joinable()) search_.join();
}

void frmFindInstalled::CreateControls() {
  lblPorts->setText(QStringLiteral("&Source ports:"));
  lblPorts->setBuddy(lstPorts);
  lblIWADs->setText(QStringLiteral("&IWADs:"));
  lblIWADs->setBuddy(lstIWADs);
  lblStatus->setText(QStringLiteral("Searching..."));
  for (QListWidget* list : {lstPorts, lstIWADs}) list->setMinimumSize(kListSize);
  cmdAdd->setText(QStringLiteral("Add"));
  cmdCancel->setText(QStringLiteral("Cancel"));
  // Enter means Add; Escape and the close box mean Cancel. Add waits for the search.
  cmdAdd->setDefault(true);
  cmdAdd->setEnabled(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblStatus, 1);
  buttons->addWidget(cmdAdd);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblPorts);
  layout->addWidget(lstPorts, 1);
  layout->addWidget(lblIWADs);
  layout->addWidget(lstIWADs, 1);
  layout->addLayout(buttons);

  connect(cmdAdd, &QPushButton::clicked, this, &frmFindInstalled::AddChecked);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmFindInstalled::ShowFindings(const installed::Findings& findings) {
  Fill(lstPorts, findings.ports);
  Fill(lstIWADs, findings.iwads);
  lblStatus->setText(QStringLiteral("Found %1 and %2.")
                         .arg(Counted(lstPorts->count(), "source port", "source ports"),
                              Counted(lstIWADs->count(), "IWAD", "IWADs")));
  searchDone_ = true;
  cmdAdd->setEnabled(true);
  lstPorts->setFocus();
}

void frmFindInstalled::AddChecked() {
  AddCheckedTo(ListId::Ports, lstPorts);
  AddCheckedTo(ListId::IWADs, lstIWADs);
  accept();
}

void frmFindInstalled::AddCheckedTo(ListId id, const QListWidget* items) {
  const ListKind& kind = KindOf(id);
  const auto stored = StoredCount(iniFile_, kind);
  int count = stored.value_or(0);
  for (int row = 0; row < items->count(); ++row) {
    const QListWidgetItem* item = items->item(row);
    if (item->checkState() != Qt::Checked) continue;
    // Entry 1 may hold an entry that a count nobody can read hides.
    if (!stored) {
      desktop_.Tell(this, Qs(UnreadableCountText(kind)), MessageIcon::Exclamation);
      return;
    }
    if (count >= kLargestList) {
      desktop_.Tell(this, Qs(ListFullText(kind)), MessageIcon::Exclamation);
      return;
    }
    QString file = item->data(kFileRole).toString();
    // An IWAD entry names its file alone; the ports look for it in these same folders.
    if (InstanceOf(id).browse.keepsBareName) file = Qs(FileNameOf(Ss(file)));
    EntryExtras extras(kind.extraSuffixes.size());
    const QString family = item->data(kFamilyRole).toString();
    if (!family.isEmpty()) extras.at(ExtraIndex(kind, port::kFamily)) = Ss(family);
    AppendEntry(iniFile_, kind, mainLists_, count, item->data(kNameRole).toString(), file, extras);
    ++count;
  }
}

}  // namespace quillon
