#include "support/FakeDesktop.h"

#include <QDialog>
#include <QFileInfo>
#include <cstdio>

namespace quillon::test {

namespace {
void Complain(QStringList& unscripted, const QString& what) {
  unscripted << what;
  std::fprintf(stderr, "FakeDesktop: unscripted %s\n", qPrintable(what));
}
}  // namespace

MessageResult FakeDesktop::ShowMessage(QWidget*, const QString& text, const QString& title,
                                       MessageIcon icon, MessageButtons buttons) {
  MessageResult answer = MessageResult::Ok;
  if (buttons != MessageButtons::Ok) {
    if (questionAnswers.empty()) {
      Complain(unscripted, "question: " + text);
      answer = MessageResult::No;
    } else {
      answer = questionAnswers.front();
      questionAnswers.pop_front();
    }
  }
  messages.push_back({text, title, icon, buttons, answer});
  calls << "message";
  return answer;
}

std::optional<QString> FakeDesktop::ChooseFile(QWidget*, const FileDialogRequest& request) {
  fileDialogs.push_back(request);
  calls << "file";
  if (fileChoices.empty()) {
    Complain(unscripted, "file dialog: " + request.title);
    return std::nullopt;
  }
  const bool chosen = fileChoices.front().has_value();
  const QString path = chosen ? *fileChoices.front() : QString();
  fileChoices.pop_front();
  if (!chosen) return std::nullopt;
  return path;
}

int FakeDesktop::ShowModal(QDialog* dialog) {
  modalDialogs.push_back(dialog->objectName());
  calls << "modal:" + dialog->objectName();
  if (modalScripts.empty()) {
    Complain(unscripted, "modal window: " + dialog->objectName());
    dialog->reject();
    return dialog->result();
  }
  auto script = std::move(modalScripts.front());
  modalScripts.pop_front();
  dialog->setModal(true);
  dialog->show();
  script(dialog);
  if (dialog->isVisible()) dialog->reject();
  return dialog->result();
}

LaunchResult FakeDesktop::Launch(QWidget* owner, const LaunchRequest& request) {
  launches.push_back(request);
  calls << "launch";
  if (launcher) return launcher(owner, request);
  if (launchResults.empty()) return {};
  const LaunchResult result = launchResults.front();
  launchResults.pop_front();
  return result;
}

void FakeDesktop::WhenEnded(std::int64_t pid, std::function<void(const LaunchEnd&)> then) {
  if (ender) {
    ender->WhenEnded(pid, std::move(then));
  } else {
    then(LaunchEnd{});
  }
}

void FakeDesktop::End(std::int64_t pid, bool quietly) {
  ended.push_back(pid);
  calls << "end";
  if (ender) ender->End(pid, quietly);
}

bool FakeDesktop::OpenDocument(const QString& path) {
  documents << path;
  calls << "open";
  if (openResults.empty()) return true;
  const bool opened = openResults.front();
  openResults.pop_front();
  return opened;
}

void FakeDesktop::CopyText(const QString& text) {
  copied << text;
  calls << "copy";
}

bool FakeDesktop::FileExists(const QString& path) {
  return QFileInfo(path).isFile();
}

QDateTime FakeDesktop::LastModified(const QString& path) {
  const QFileInfo info(path);
  return info.exists() ? info.lastModified() : QDateTime();
}

}  // namespace quillon::test
