#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "support/WadWriter.h"
#include "ui/desktop/Desktop.h"

namespace quillon::bench {

// A desktop that never waits on a person: OK and Yes to every message, a set file for
// every file dialog, and a set script for every modal window.
class QuietDesktop : public Desktop {
 public:
  std::optional<QString> chosenFile;
  std::function<void(QDialog*)> modalScript;

  MessageResult ShowMessage(QWidget*, const QString&, const QString&, MessageIcon,
                            MessageButtons buttons) override;
  std::optional<QString> ChooseFile(QWidget*, const FileDialogRequest&) override {
    return chosenFile;
  }
  int ShowModal(QDialog* dialog) override;
  LaunchResult Launch(QWidget*, const LaunchRequest&) override { return {}; }
  bool Running(std::int64_t) override { return false; }
  void WhenEnded(std::int64_t, std::function<void(const LaunchEnd&)>) override {}
  void End(std::int64_t, bool) override {}
  // No handler, as on a bare desktop: documents come to our own window.
  bool OpenDocument(const QString&) override { return false; }
  void CopyText(const QString&) override {}
  bool FileExists(const QString& path) override;
  QDateTime LastModified(const QString& path) override;
  QSize ScreenSize() override { return {1920, 1080}; }
};

// A configuration whose four lists hold `entries` entries each (negative: the default
// file), every selection on the last entry, as years of use would leave it.
QByteArray Configuration(int entries);

void WriteFile(const QString& path, const QByteArray& bytes);

// A grid of square rooms: `side` × `side` vertices, every grid edge a line (the outer ones
// one-sided, the inner ones two-sided, one in fifty with a special), and a thing in every
// fifth room; 2 × side × (side - 1) lines.
test::TestMapLayout Grid(int side);

// One read of the whole file into a buffer of its size: the cheapest way to load it all, the
// baseline of the WAD benchmarks.
std::string ReadWholeFile(const std::string& path);

}  // namespace quillon::bench
