// The program as main() builds it (real desktop, deferred writes, the end-signal handling)
// on a program directory named on the command line. It prints "ready" once its event loop
// runs, so a test knows when a signal meets the running window rather than the start-up.
//
//   quillon_end_signal_driver PROGRAM_DIR

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "core/settings/IniCache.h"
#include "ui/main/DeferredWrites.h"
#include "ui/main/frmQLN2.h"
#include "ui/system/EndSignals.h"
#include "ui/system/QtDesktop.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: quillon_end_signal_driver PROGRAM_DIR\n", stderr);
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillon"));
  quillon::DeferSettingsWrites();
  quillon::QtDesktop desktop;
  quillon::frmQLN2 window(desktop, QString::fromLocal8Bit(argv[1]));
  quillon::CloseOnEndSignals(&window);
  window.show();
  QTimer::singleShot(0, [] {
    std::puts("ready");
    std::fflush(stdout);
  });
  const int code = QApplication::exec();
  quillon::IniCache::FlushAll();
  return code;
}
