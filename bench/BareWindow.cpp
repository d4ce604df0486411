// An empty Qt main window of a given title and size: what Quillon's start is measured
// against. It reads no file, holds no control and has no menu.
// Usage: quillon_bare_window TITLE WIDTH HEIGHT
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) return 2;
  QMainWindow window;
  window.setWindowTitle(QString::fromLocal8Bit(argv[1]));
  window.setFixedSize(QString::fromLatin1(argv[2]).toInt(), QString::fromLatin1(argv[3]).toInt());
  window.show();
  return QApplication::exec();
}
