#pragma once

#include <QDateTime>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>

#include "core/launch/LaunchRequest.h"
#include "ui/desktop/AppTexts.h"

class QDialog;
class QWidget;

namespace quillon {

enum class MessageIcon { None, Information, Exclamation };
// TestAnywayCancel: "Test Anyway" answers Yes, "Cancel" (the default) No.
enum class MessageButtons { Ok, YesNo, TestAnywayCancel };
enum class MessageResult { Ok, Yes, No };

// How the file selection dialog behaves, each by its name.
struct FileDialogFlags {
  bool fileMustExist = false;    // only an existing file can be chosen
  bool hideReadOnly = false;     // no read-only box (Qt's dialog never has one)
  bool overwritePrompt = false;  // a Save asks before it replaces a file

  bool operator==(const FileDialogFlags&) const = default;
};

// What a caller asks of the file selection dialog; see CommonDialog.
struct FileDialogRequest {
  QString title;
  QString filter;   // "Desc|*.a;*.b"
  QString initDir;  // may be empty
  FileDialogFlags flags;
  bool save = false;

  bool operator==(const FileDialogRequest&) const = default;
};

// Everything that would block a test or touch the world outside the process. main()
// creates the real one and hands it to each window; tests hand in a scripted fake.
class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual MessageResult ShowMessage(QWidget* owner, const QString& text, const QString& title,
                                    MessageIcon icon, MessageButtons buttons) = 0;

  // The chosen file's full path; nullopt when the user cancelled.
  virtual std::optional<QString> ChooseFile(QWidget* owner, const FileDialogRequest& request) = 0;

  // Shows the dialog modally and returns when it has closed (QDialog::exec on the desktop).
  virtual int ShowModal(QDialog* dialog) = 0;

  // Starts the program and returns at once; a watched one (LogDirectory set) that stops
  // with an error later gets a notice owned by `owner`.
  virtual LaunchResult Launch(QWidget* owner, const LaunchRequest& request) = 0;
  // Whether the program started as `pid` (LaunchResult::pid) still runs.
  virtual bool Running(std::int64_t pid) = 0;
  // `ended` runs once the program started as `pid` has ended (at once when it no longer runs).
  virtual void WhenEnded(std::int64_t pid, std::function<void(const LaunchEnd&)> ended) = 0;
  // Ends the program started as `pid`: asked to (SIGTERM) first, made to after kEndGraceMs.
  // Ended `quietly`, its end shows no "stopped" notice.
  virtual void End(std::int64_t pid, bool quietly) = 0;
  static constexpr int kEndGraceMs = 2000;
  // Opens a document or folder with the desktop's handler for its type; never executes it.
  // False when the desktop has no handler (ShowDocument then shows it itself).
  virtual bool OpenDocument(const QString& path) = 0;
  // Puts the text on the clipboard, for pasting into another program.
  virtual void CopyText(const QString& text) = 0;

  virtual bool FileExists(const QString& path) = 0;
  // Invalid when the file cannot be found.
  virtual QDateTime LastModified(const QString& path) = 0;

  virtual QSize ScreenSize() = 0;

  // Every message box of the program carries its title.
  // A message with an OK button.
  void Tell(QWidget* owner, const QString& text, MessageIcon icon = MessageIcon::None) {
    ShowMessage(owner, text, QString::fromLatin1(kAppTitle), icon, MessageButtons::Ok);
  }
  // A warning before a start; true for "Test Anyway".
  bool AskTestAnyway(QWidget* owner, const QString& text) {
    return ShowMessage(owner, text, QString::fromLatin1(kAppTitle), MessageIcon::Exclamation,
                       MessageButtons::TestAnywayCancel) == MessageResult::Yes;
  }
  // A question with Yes and No; true for Yes.
  bool Ask(QWidget* owner, const QString& text) {
    return ShowMessage(owner, text, QString::fromLatin1(kAppTitle), MessageIcon::None,
                       MessageButtons::YesNo) == MessageResult::Yes;
  }
};

}  // namespace quillon
