#pragma once

#include <QStringList>

#include "ui/desktop/Desktop.h"
#include "ui/launch/PortLauncher.h"

class QFileDialog;
class QMessageBox;

namespace quillon {

// The desktop as it really is: QMessageBox, QFileDialog, QDesktopServices, and a
// PortLauncher that starts programs and shows a notice when a watched one fails.
class QtDesktop : public Desktop {
 public:
  QtDesktop();

  MessageResult ShowMessage(QWidget* owner, const QString& text, const QString& title,
                            MessageIcon icon, MessageButtons buttons) override;
  std::optional<QString> ChooseFile(QWidget* owner, const FileDialogRequest& request) override;
  int ShowModal(QDialog* dialog) override;
  LaunchResult Launch(QWidget* owner, const LaunchRequest& request) override;
  bool Running(std::int64_t pid) override { return launcher_.Runs(pid); }
  void WhenEnded(std::int64_t pid, std::function<void(const LaunchEnd&)> ended) override;
  void End(std::int64_t pid, bool quietly) override { launcher_.End(pid, quietly, kEndGraceMs); }
  bool OpenDocument(const QString& path) override;
  void CopyText(const QString& text) override;
  bool FileExists(const QString& path) override;
  QDateTime LastModified(const QString& path) override;
  QSize ScreenSize() override;

  // "Desc|*.a;*.b|Other|*.c" as Qt name filters whose patterns match any letter case.
  static QStringList QtNameFilters(const QString& filter);

  // Set up a dialog the way ShowMessage and ChooseFile show it, without showing it.
  static void ConfigureMessageBox(QMessageBox& box, const QString& text, const QString& title,
                                  MessageIcon icon, MessageButtons buttons);
  static void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

  PortLauncher& Launcher() { return launcher_; }

 private:
  PortLauncher launcher_;
};

}  // namespace quillon
