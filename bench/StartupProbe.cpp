// Starts like the real program and reports once its window is on screen, so that start-up
// can be timed from outside, process creation included. "bare" opens an empty Qt main
// window instead, and "label" one that shows a menu and a line of text, so it pays for the
// font system as any window with text does: the baselines. Prints the resident memory of
// the idle window in KiB.
// Usage: quillon_probe quillon|bare|label PROGRAM_DIR
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <cstdio>
#include <memory>

#include "core/settings/IniCache.h"
#include "ui/main/frmQLN2.h"
#include "ui/system/QtDesktop.h"

namespace {
long ResidentKiB() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
  }
  return -1;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  QApplication app(argc, argv);
  quillon::IniCache::SetFlushRequester([] {});
  quillon::QtDesktop desktop;
  std::unique_ptr<QWidget> window;
  if (qstrcmp(argv[1], "bare") == 0 || qstrcmp(argv[1], "label") == 0) {
    auto* bare = new QMainWindow;
    bare->setWindowTitle(QStringLiteral("Bare"));
    bare->resize(480, 320);
    if (qstrcmp(argv[1], "label") == 0) {
      bare->menuBar()->addMenu(QStringLiteral("&Program"));
      bare->setCentralWidget(new QLabel(QStringLiteral("A line of text")));
    }
    window.reset(bare);
  } else {
    window = std::make_unique<quillon::frmQLN2>(desktop, QString::fromLocal8Bit(argv[2]));
  }
  window->show();
  QApplication::processEvents();
  std::printf("%ld\n", ResidentKiB());
  std::fflush(stdout);
  return 0;
}
