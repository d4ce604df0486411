#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <functional>
#include <stop_token>
#include <thread>

#include "core/installed/InstalledSearch.h"
#include "core/settings/ConfigLayout.h"
#include "core/settings/ReadWrite.h"
#include "ui/desktop/WindowParts.h"

namespace quillon {

class Desktop;
class MainWindowLists;

// "Find Installed Ports and IWADs": the source ports and IWADs found on this computer, in
// two checked lists. Add puts every checked one at the end of its list, as the Add dialogs
// do; what the lists already hold is shown unchecked. The search runs on a thread of its
// own, so the window answers while the disk is read.
class frmFindInstalled : public QDialog {
  Q_OBJECT

 public:
  frmFindInstalled(Desktop& desktop, const QString& programDir, MainWindowLists& mainLists,
                   installed::SearchPlaces places, QWidget* owner);
  // The search itself, run on the dialog's thread: FindInstalled in the places above.
  using Search =
      std::function<installed::Findings(const installed::Listed& listed, std::stop_token stop)>;
  frmFindInstalled(Desktop& desktop, const QString& programDir, MainWindowLists& mainLists,
                   Search search, QWidget* owner);
  ~frmFindInstalled() override;

  // True once the search has reported and its findings are shown.
  bool SearchDone() const { return searchDone_; }

 private:
  void CreateControls();
  void ShowFindings(const installed::Findings& findings);
  void AddChecked();
  // Appends the list's checked items, as many as the list has room for.
  void AddCheckedTo(ListId id, const QListWidget* items);

  Desktop& desktop_;
  MainWindowLists& mainLists_;
  ReadWrite iniFile_;
  bool searchDone_ = false;

  // The controls, named as the user and the tests know them, made in their Tab order.
  QLabel* const lblPorts = MakeControl<QLabel>(this, "lblPorts");
  QListWidget* const lstPorts = MakeControl<QListWidget>(this, "lstPorts");
  QLabel* const lblIWADs = MakeControl<QLabel>(this, "lblIWADs");
  QListWidget* const lstIWADs = MakeControl<QListWidget>(this, "lstIWADs");
  QLabel* const lblStatus = MakeControl<QLabel>(this, "lblStatus");
  QPushButton* const cmdAdd = MakeControl<QPushButton>(this, "cmdAdd");
  QPushButton* const cmdCancel = MakeControl<QPushButton>(this, "cmdCancel");

  // Last, so that it is stopped and joined before anything it reports to goes away.
  std::jthread search_;
};

}  // namespace quillon
