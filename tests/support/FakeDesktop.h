#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "support/QtPrinters.h"
#include "ui/desktop/Desktop.h"

namespace quillon::test {

// What the windows ask of the file dialog: an Open of an existing file, a Save that asks
// before it replaces one.
inline constexpr FileDialogFlags kOpenFlags{.fileMustExist = true, .hideReadOnly = true};
inline constexpr FileDialogFlags kSaveFlags{.hideReadOnly = true, .overwritePrompt = true};

// The scripted, recording desktop. Every call is recorded in order; answers come from
// queues the test fills beforehand. A message box with only an OK button is answered OK
// by itself; a question, a file dialog or a modal window with no scripted answer is
// recorded in Unscripted() and answered as a cancel, and the test fixture fails on it.
class FakeDesktop : public Desktop {
 public:
  struct Message {
    QString text;
    QString title;
    MessageIcon icon;
    MessageButtons buttons;
    MessageResult answer;
  };

  // Scripts.
  std::deque<MessageResult> questionAnswers;               // for Yes/No boxes
  std::deque<std::optional<QString>> fileChoices;          // nullopt: the user cancels
  std::deque<std::function<void(QDialog*)>> modalScripts;  // drive the dialog, then close it
  QSize screen{1024, 768};
  std::deque<LaunchResult> launchResults;  // none left: the program starts
  std::deque<bool> openResults;            // none left: the desktop opens the document
  // When set, launches really happen through it (after being recorded).
  std::function<LaunchResult(QWidget*, const LaunchRequest&)> launcher;
  // Whether a started program still runs; unset: none does.
  std::function<bool(std::int64_t)> running;
  // When set, waits for and ends programs through it (a real desktop); unset: a program
  // has always ended already.
  Desktop* ender = nullptr;

  // Records.
  std::vector<Message> messages;
  std::vector<FileDialogRequest> fileDialogs;
  std::vector<QString> modalDialogs;  // objectName of each dialog shown
  std::vector<LaunchRequest> launches;
  std::vector<std::int64_t> ended;  // the programs End was asked to end
  QStringList documents;            // paths opened with the desktop's handler
  QStringList copied;               // texts put on the clipboard
  QStringList calls;                // "message", "file", "modal:<name>", "launch", "open", "copy"
  QStringList unscripted;           // what appeared without an answer

  MessageResult ShowMessage(QWidget* owner, const QString& text, const QString& title,
                            MessageIcon icon, MessageButtons buttons) override;
  std::optional<QString> ChooseFile(QWidget* owner, const FileDialogRequest& request) override;
  int ShowModal(QDialog* dialog) override;
  LaunchResult Launch(QWidget* owner, const LaunchRequest& request) override;
  bool Running(std::int64_t pid) override { return running && running(pid); }
  void WhenEnded(std::int64_t pid, std::function<void(const LaunchEnd&)> then) override;
  void End(std::int64_t pid, bool quietly) override;
  bool OpenDocument(const QString& path) override;
  void CopyText(const QString& text) override;
  bool FileExists(const QString& path) override;
  QDateTime LastModified(const QString& path) override;
  QSize ScreenSize() override { return screen; }
};

}  // namespace quillon::test
