// The program as main() builds it, with the real desktop, on a program directory named on
// the command line; it answers any message box and then closes the window by itself, so
// valgrind can watch a whole start and close without anyone at the keyboard.
//
//   quillon_memcheck_driver PROGRAM_DIR

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "core/settings/IniCache.h"
#include "ui/main/DeferredWrites.h"
#include "ui/main/frmQLN2.h"
#include "ui/system/QtDesktop.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: quillon_memcheck_driver PROGRAM_DIR\n", stderr);
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillon"));
  QApplication::setApplicationVersion(QStringLiteral("2.01"));
  quillon::DeferSettingsWrites();

  // Runs inside the start-up's own message box too, since that box has an event loop.
  quillon::frmQLN2* shown = nullptr;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      modal->close();
    } else if (shown && shown->isVisible()) {
      shown->close();
    }
  });
  closer.start(500);

  quillon::QtDesktop desktop;
  quillon::frmQLN2 window(desktop, QString::fromLocal8Bit(argv[1]));
  window.show();
  shown = &window;
  const int code = QApplication::exec();
  quillon::IniCache::FlushAll();
  return code;
}
