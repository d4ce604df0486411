#include <QApplication>
#include <QTimer>

#include "about/Emblem.h"
#include "app/frmQLN2.h"
#include "settings/IniCache.h"
#include "shell/QtDesktop.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillon"));
  QApplication::setApplicationVersion(QStringLiteral("2.01"));
  // Every window and the task bar show the emblem; Wayland matches the window to quillon.desktop.
  QApplication::setWindowIcon(quillon::EmblemIcon());
  QApplication::setDesktopFileName(QStringLiteral("quillon"));

  // Settings changed during one event reach the disk together, once the event is done:
  // removing the first of thousands of entries is one write, not thousands.
  quillon::IniCache::SetFlushRequester(
      [] { QTimer::singleShot(0, [] { quillon::IniCache::FlushAll(); }); });
  QObject::connect(&app, &QApplication::aboutToQuit, [] { quillon::IniCache::FlushAll(); });

  quillon::QtDesktop desktop;
  quillon::frmQLN2 window(desktop, QApplication::applicationDirPath());
  window.show();
  const int code = QApplication::exec();
  quillon::IniCache::FlushAll();
  return code;
}
