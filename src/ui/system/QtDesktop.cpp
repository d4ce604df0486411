#include "ui/system/QtDesktop.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

#include "ui/desktop/CommonDialog.h"
#include "ui/desktop/QtText.h"
#include "ui/launch/frmPortStopped.h"

namespace quillon {

namespace {

// "*.wad" -> "*.[wW][aA][dD]": Qt's dialog on Linux compares names case-sensitively,
// and WAD files come in either case.
QString AnyCaseGlob(const QString& pattern) {
  QString out;
  out.reserve(pattern.size() * 4);
  for (const QChar c : pattern) {
    const QChar lower = c.toLower();
    const QChar upper = c.toUpper();
    if (lower == upper) {
      out += c;
    } else {
      out += u'[';
      out += lower;
      out += upper;
      out += u']';
    }
  }
  return out;
}

}  // namespace

QtDesktop::QtDesktop() {
  QObject::connect(&launcher_, &PortLauncher::Ended, &launcher_, [this](const PortEnd& end) {
    if (!end.watched || end.quiet || !end.Failed()) return;
    auto* notice = new frmPortStopped(end, *this, end.owner);
    notice->show();
  });
}

namespace {
// The extension of a filter that offers one type of file ("Schemes|*.qls" gives "qls");
// empty for several types, several patterns or a pattern like "*.*".
QString OnlyExtension(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  if (parts.size() != 2) return {};
  const QString pattern = parts[1].trimmed();
  if (!pattern.startsWith(QStringLiteral("*.")) || pattern.size() < 3) return {};
  const QString extension = pattern.mid(2);
  for (const QChar c : extension) {
    if (c == u'*' || c == u'?' || c == u';' || c == u'.' || c.isSpace()) return {};
  }
  return extension;
}
}  // namespace

QStringList QtDesktop::QtNameFilters(const QString& filter) {
  QStringList result;
  const QStringList parts = filter.split(u'|');
  // Parts come in description|patterns pairs; an unpaired trailing description is dropped.
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList globs;
    for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
      const QString trimmed = pattern.trimmed();
      if (!trimmed.isEmpty()) globs << AnyCaseGlob(trimmed);
    }
    if (globs.isEmpty()) continue;
    // The description usually carries its own "(*.wad)"; with HideNameFilterDetails the
    // dialog strips only the trailing bracket list, so that is what the user reads.
    result << parts[i].trimmed() + QStringLiteral(" (") + globs.join(u' ') + u')';
  }
  return result;
}

void QtDesktop::ConfigureMessageBox(QMessageBox& box, const QString& text, const QString& title,
                                    MessageIcon icon, MessageButtons buttons) {
  // Callers build multi-line texts with "\r\n"; plain text keeps '<' and '&' literal.
  QString plain = text;
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  box.setTextFormat(Qt::PlainText);
  box.setText(plain);
  box.setWindowTitle(title);
  switch (icon) {
    case MessageIcon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case MessageIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MessageIcon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
  }
  if (buttons == MessageButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  } else if (buttons == MessageButtons::TestAnywayCancel) {
    // Cancel is the default: Enter on a warning starts nothing.
    box.addButton(QStringLiteral("Test Anyway"), QMessageBox::YesRole);
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    box.setEscapeButton(QMessageBox::Cancel);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
  }
}

MessageResult QtDesktop::ShowMessage(QWidget* owner, const QString& text, const QString& title,
                                     MessageIcon icon, MessageButtons buttons) {
  // An owner not on screen yet (a message during start-up) would pull the box to where the
  // owner will later be; without it the box opens in the middle of the screen.
  QMessageBox box(owner && owner->isVisible() ? owner : nullptr);
  ConfigureMessageBox(box, text, title, icon, buttons);
  const int answer = box.exec();
  if (buttons == MessageButtons::Ok) return MessageResult::Ok;
  if (buttons == MessageButtons::TestAnywayCancel) {
    return box.buttonRole(box.clickedButton()) == QMessageBox::YesRole ? MessageResult::Yes
                                                                       : MessageResult::No;
  }
  return answer == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
}

void QtDesktop::ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
  dialog.setWindowTitle(request.title);
  if (!request.initDir.isEmpty()) dialog.setDirectory(request.initDir);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  const QStringList filters = QtNameFilters(request.filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setFileMode(request.flags.fileMustExist ? QFileDialog::ExistingFile
                                                 : QFileDialog::AnyFile);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.flags.overwritePrompt);
  // A Save of one type of file adds its extension to a name typed without one, before the
  // overwrite question is asked, so Open finds the file again under its own filter.
  dialog.setDefaultSuffix(request.save ? OnlyExtension(request.filter) : QString());
  // hideReadOnly needs nothing: Qt's dialog has no read-only check box to hide.
}

std::optional<QString> QtDesktop::ChooseFile(QWidget* owner, const FileDialogRequest& request) {
  QFileDialog dialog(owner);
  ConfigureFileDialog(dialog, request);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(chosen.first());
}

int QtDesktop::ShowModal(QDialog* dialog) {
  return dialog->exec();
}

LaunchResult QtDesktop::Launch(QWidget* owner, const LaunchRequest& request) {
  // No show mode travels: X11 and Wayland give a launcher no portable way to ask for a
  // maximized first window, and the ports choose their own window size anyway.
  return launcher_.Start(owner, request);
}

void QtDesktop::WhenEnded(std::int64_t pid, std::function<void(const LaunchEnd&)> ended) {
  launcher_.WhenEnded(pid, [ended = std::move(ended)](const PortEnd& end) {
    ended({end.bySignal, end.code, Ss(end.logPath)});
  });
}

bool QtDesktop::OpenDocument(const QString& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void QtDesktop::CopyText(const QString& text) {
  QGuiApplication::clipboard()->setText(text);
}

bool QtDesktop::FileExists(const QString& path) {
  return !path.isEmpty() && QFileInfo(path).isFile();
}

QDateTime QtDesktop::LastModified(const QString& path) {
  if (path.isEmpty()) return {};
  const QFileInfo info(path);
  return info.exists() ? info.lastModified() : QDateTime();
}

QSize QtDesktop::ScreenSize() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize size = screen->geometry().size();
    if (size.isValid() && !size.isEmpty()) return size;
  }
  return {1024, 768};
}

}  // namespace quillon
