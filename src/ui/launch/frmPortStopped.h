#pragma once

#include <QDialog>
#include <QStringList>

#include "ui/launch/PortLauncher.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quillon {

class Desktop;

// The notice that a watched program stopped with an error: how it ended, how long it ran
// and the end of its output. Not modal: the main window stays usable beside it. Deletes
// itself when closed.
class frmPortStopped : public QDialog {
  Q_OBJECT
 public:
  frmPortStopped(const PortEnd& end, Desktop& desktop, QWidget* owner);

  // The last lines of a log from `start` on (the program's own output).
  static QStringList LogTail(const QString& path, qint64 start);

 private:
  Desktop& desktop_;
  QString logPath_;
  QLabel* lblEnd = nullptr;
  QLabel* lblFindings = nullptr;  // only when the files' analysis had found something
  QPlainTextEdit* txtOutput = nullptr;
  QPushButton* cmdOpenLog = nullptr;
  QPushButton* cmdClose = nullptr;
};

}  // namespace quillon
