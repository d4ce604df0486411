#include "ui/desktop/frmTextWindow.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/desktop/Desktop.h"
#include "ui/desktop/WindowParts.h"

namespace quillon {

QString UnreadableReason(const QString& path) {
  const QFileInfo info(path);
  if (info.isDir()) return QStringLiteral("it is a folder");
  if (info.exists() && !info.isFile()) return QStringLiteral("it is not a regular file");
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return file.errorString();
  return {};
}

namespace {
bool BreakLongLines(QString& text) {
  qsizetype start = 0;
  bool broken = false;
  while (start < text.size()) {
    qsizetype end = text.indexOf(u'\n', start);
    if (end < 0) end = text.size();
    if (end - start > kTextWindowLine) {
      text.insert(start + kTextWindowLine, u'\n');
      broken = true;
      end = start + kTextWindowLine;
    }
    start = end + 1;
  }
  return broken;
}
}  // namespace

TextFileRead ReadTextFile(const QString& path, TextPart keep, qint64 cap) {
  TextFileRead out;
  out.error = UnreadableReason(path);
  if (!out.error.isEmpty()) return out;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    out.error = file.errorString();
    return out;
  }
  out.fileSize = file.size();
  const bool part = out.fileSize > cap;
  const qint64 from = part && keep == TextPart::End ? out.fileSize - cap : 0;
  if (from > 0 && !file.seek(from)) {
    out.error = file.errorString();
    return out;
  }
  QByteArray bytes = file.read(std::min(out.fileSize, cap));
  if (file.error() != QFileDevice::NoError) {
    out.error = file.errorString();
    return out;
  }
  // A part starts and ends on whole lines, so no line or character is shown cut.
  if (part && keep == TextPart::End) {
    const qsizetype newline = bytes.indexOf('\n');
    if (newline >= 0 && newline + 1 < bytes.size()) bytes.remove(0, newline + 1);
  } else if (part) {
    const qsizetype newline = bytes.lastIndexOf('\n');
    if (newline > 0) bytes.truncate(newline + 1);
  }
  out.shownBytes = bytes.size();
  out.text = QString::fromUtf8(bytes);
  // Ports redraw progress lines with a bare CR; a NUL would end the text for some viewers.
  out.text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  out.text.replace(u'\r', u'\n');
  out.text.replace(QChar(u'\0'), QChar::ReplacementCharacter);
  out.linesBroken = BreakLongLines(out.text);
  return out;
}

void ShowDocument(Desktop& desktop, QWidget* owner, const QString& path, TextPart keep) {
  const QString shown = QDir::toNativeSeparators(path);
  // Asked first: a handler handed a file it cannot read fails out of sight (xdg-open tells
  // only its terminal).
  if (const QString reason = UnreadableReason(path); !reason.isEmpty()) {
    desktop.Tell(owner, QStringLiteral("Could not open %1: %2.").arg(shown, reason),
                 MessageIcon::Exclamation);
    return;
  }
  if (desktop.OpenDocument(path)) return;
  const TextFileRead read = ReadTextFile(path, keep);
  if (!read.error.isEmpty()) {
    desktop.Tell(owner, QStringLiteral("Could not read %1: %2.").arg(shown, read.error),
                 MessageIcon::Exclamation);
    return;
  }
  auto* window = new frmTextWindow(desktop, path, read, keep, owner);
  CentreOnScreen(window, desktop.ScreenSize());
  window->show();
  window->activateWindow();
}

namespace {
QString Size(qint64 bytes) {
  return QLocale::system().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}
}  // namespace

frmTextWindow::frmTextWindow(Desktop& desktop, const QString& path, const TextFileRead& read,
                             TextPart keep, QWidget* owner)
    : QDialog(owner), desktop_(desktop), path_(path) {
  setObjectName(QStringLiteral("frmTextWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  const QFileInfo info(path);
  setWindowTitle(info.fileName() + QStringLiteral(" (") +
                 QDir::toNativeSeparators(info.absolutePath()) + u')');

  QStringList notes;
  if (read.shownBytes < read.fileSize) {
    notes << QStringLiteral(
                 "Only the %1 %2 of its %3 are shown; Open Folder reaches the whole "
                 "file.")
                 .arg(keep == TextPart::End ? QStringLiteral("last") : QStringLiteral("first"),
                      Size(read.shownBytes), Size(read.fileSize));
  }
  if (read.linesBroken) {
    notes
        << QStringLiteral("Lines longer than %1 characters are shown broken.").arg(kTextWindowLine);
  }
  lblPart = MakeControl<QLabel>(this, "lblPart", notes.join(u' '));
  lblPart->setWordWrap(true);
  lblPart->setVisible(!notes.isEmpty());

  txtText = MakeControl<QPlainTextEdit>(this, "txtText");
  txtText->setReadOnly(true);
  // Read-only text takes no keys by default; the cursor keys and Shift select for Copy.
  txtText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  txtText->setTabChangesFocus(true);
  txtText->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  txtText->setPlainText(read.text);
  QTextDocument* document = txtText->document();
  txtText->setTextCursor(
      QTextCursor(keep == TextPart::End ? document->lastBlock() : document->firstBlock()));

  fraFind = MakeControl<QWidget>(this, "fraFind");
  auto* lblFind = MakeControl<QLabel>(fraFind, "lblFind", QStringLiteral("&Find:"));
  txtFind = MakeControl<QLineEdit>(fraFind, "txtFind", {},
                                   QStringLiteral("Enter or F3 finds the next, Shift+F3 the "
                                                  "one before; Escape closes"));
  lblFind->setBuddy(txtFind);
  lblFound = MakeControl<QLabel>(fraFind, "lblFound");
  txtFind->installEventFilter(this);
  auto* findRow = new QHBoxLayout(fraFind);
  findRow->setContentsMargins(0, 0, 0, 0);
  findRow->addWidget(lblFind);
  findRow->addWidget(txtFind, 1);
  findRow->addWidget(lblFound);
  fraFind->hide();

  cmdCopy = MakeControl<QPushButton>(this, "cmdCopy", QStringLiteral("&Copy"),
                                     QStringLiteral("Copy the selection, or all that is shown"));
  cmdOpenFolder = MakeControl<QPushButton>(this, "cmdOpenFolder", QStringLiteral("&Open Folder"),
                                           QStringLiteral("Open the folder that holds this file"));
  cmdClose = MakeControl<QPushButton>(this, "cmdClose", QStringLiteral("Close"));
  cmdClose->setDefault(true);
  connect(cmdCopy, &QPushButton::clicked, this, &frmTextWindow::CopyShown);
  connect(cmdOpenFolder, &QPushButton::clicked, this, &frmTextWindow::OpenFolder);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this), &QShortcut::activated, this,
          &frmTextWindow::ShowFind);
  connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this,
          [this] { Find(false); });
  connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this), &QShortcut::activated, this,
          [this] { Find(true); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdCopy);
  buttons->addWidget(cmdOpenFolder);
  buttons->addStretch();
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblPart);
  layout->addWidget(txtText, 1);
  layout->addWidget(fraFind);
  layout->addLayout(buttons);
  // Tab follows the order of making: the text, the find field, Copy, Open Folder, Close.
  txtText->setFocus();

  // Room for a console line of 100 columns and 30 lines, never larger than the screen.
  const QFontMetrics metrics(txtText->font());
  const QSize screen = desktop.ScreenSize();
  resize(std::min(metrics.horizontalAdvance(QLatin1Char('x')) * 104, screen.width() * 9 / 10),
         std::min(metrics.lineSpacing() * 32, screen.height() * 9 / 10));
}

bool frmTextWindow::eventFilter(QObject* watched, QEvent* event) {
  // The find field keeps Enter and Escape: in a dialog they would press a button or close.
  if (watched == txtFind && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      Find(key->modifiers() & Qt::ShiftModifier);
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      HideFind();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void frmTextWindow::ShowFind() {
  fraFind->show();
  txtFind->setFocus(Qt::ShortcutFocusReason);
  txtFind->selectAll();
}

void frmTextWindow::HideFind() {
  fraFind->hide();
  lblFound->clear();
  txtText->setFocus();
}

void frmTextWindow::Find(bool backward) {
  const QString wanted = txtFind->text();
  if (!fraFind->isVisible() || wanted.isEmpty()) {
    ShowFind();
    return;
  }
  const QTextDocument::FindFlags flags =
      backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  QString note;
  if (!txtText->find(wanted, flags)) {
    // Past the last one: on from the other end.
    QTextCursor from(txtText->document());
    from.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    const QTextCursor found = txtText->document()->find(wanted, from, flags);
    if (found.isNull()) {
      note = QStringLiteral("Not found");
    } else {
      txtText->setTextCursor(found);
      note = backward ? QStringLiteral("Went on from the end")
                      : QStringLiteral(
                            "Went on from "
                            "the top");
    }
  }
  lblFound->setText(note);
}

void frmTextWindow::CopyShown() {
  const QTextCursor cursor = txtText->textCursor();
  desktop_.CopyText(cursor.hasSelection() ? cursor.selection().toPlainText()
                                          : txtText->toPlainText());
}

void frmTextWindow::OpenFolder() {
  const QString folder = QDir::toNativeSeparators(QFileInfo(path_).absolutePath());
  if (desktop_.OpenDocument(folder)) return;
  desktop_.Tell(this,
                QStringLiteral("Could not open the folder %1: this desktop has no program "
                               "that shows folders.")
                    .arg(folder),
                MessageIcon::Exclamation);
}

}  // namespace quillon
