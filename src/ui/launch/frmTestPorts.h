#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "core/settings/ReadWrite.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace quillon {

class Desktop;
class PortTester;

// "Test in Several Ports": every source port with a check box, the checks remembered in
// "Memory" as "TestPorts"; Test starts every checked port, Cancel starts nothing. Each port
// shows what it will do with the files; one that will stop is marked, and still checkable.
class frmTestPorts : public QDialog {
  Q_OBJECT

 public:
  frmTestPorts(PortTester& tester, Desktop& desktop, const QString& programDir,
               QWidget* parent = nullptr);
  ~frmTestPorts() override;

  // After Test: whether every checked port started.
  bool AllStarted() const { return allStarted_; }

 private:
  std::vector<int> CheckedEntries() const;
  void ChecksChanged();
  void TestChecked();
  // Each port's verdict on the files: a mark and a tip in the list, in full below it.
  void ShowVerdicts();
  void ShowCurrentVerdict();

  PortTester& tester_;
  ReadWrite iniFile_;
  bool allStarted_ = false;

  QLabel* lblPorts = nullptr;
  QListWidget* lstPorts = nullptr;
  QLabel* lblVerdict = nullptr;
  QPushButton* cmdTest = nullptr;
  QPushButton* cmdCancel = nullptr;
};

}  // namespace quillon
