#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillon {

class Desktop;

// Which part of a file too large to show whole the window keeps: a log's end holds the
// latest output, a document reads from its start.
enum class TextPart { Beginning, End };

// The most the window shows of one file. Laying out a 10 MB log keeps the GUI thread busy
// for seconds; 2 MB is tens of thousands of lines, more than anyone scrolls through.
inline constexpr qint64 kTextWindowBytes = 2 * 1024 * 1024;

// Longer lines are shown broken: laying out one line of 2 MB takes seconds, however little
// of it is in view.
inline constexpr qsizetype kTextWindowLine = 4096;

// One file as the window shows it, or why it could not be read.
struct TextFileRead {
  QString text;
  qint64 fileSize = 0;
  qint64 shownBytes = 0;  // less than fileSize when only a part is shown
  bool linesBroken = false;
  QString error;  // empty when read
};

// Why the file cannot be read (the system's words), or empty when it can. Never waits: a
// named pipe is refused, not opened.
QString UnreadableReason(const QString& path);
TextFileRead ReadTextFile(const QString& path, TextPart keep, qint64 cap = kTextWindowBytes);

// Opens the document with the desktop's handler; where the desktop has none, shows it in a
// text window of ours owned by `owner`. A file that cannot be read is told, with the reason.
void ShowDocument(Desktop& desktop, QWidget* owner, const QString& path, TextPart keep);

// A read-only, searchable view of one text file. Not modal: help or a log is read beside the
// window it explains. Deletes itself when closed.
class frmTextWindow : public QDialog {
  Q_OBJECT
 public:
  frmTextWindow(Desktop& desktop, const QString& path, const TextFileRead& read, TextPart keep,
                QWidget* owner);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowFind();
  void HideFind();
  void Find(bool backward);
  void CopyShown();
  void OpenFolder();

  Desktop& desktop_;
  QString path_;
  QLabel* lblPart = nullptr;
  QPlainTextEdit* txtText = nullptr;
  QWidget* fraFind = nullptr;
  QLineEdit* txtFind = nullptr;
  QLabel* lblFound = nullptr;
  QPushButton* cmdCopy = nullptr;
  QPushButton* cmdOpenFolder = nullptr;
  QPushButton* cmdClose = nullptr;
};

}  // namespace quillon
