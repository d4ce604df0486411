// An empty Qt main window of a given title and size: what Quillon's start is measured
// against. It reads no file, holds no control and has no menu. With "text" after the size
// it also has Quillon's menu titles and one line of text, so it pays what any window that
// shows text pays once: the font configuration and Qt's font list.
// Usage: quillon_bare_window TITLE WIDTH HEIGHT [text]
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 4) return 2;
  QMainWindow window;
  window.setWindowTitle(QString::fromLocal8Bit(argv[1]));
  window.setFixedSize(QString::fromLatin1(argv[2]).toInt(), QString::fromLatin1(argv[3]).toInt());
  if (argc > 4 && QByteArray(argv[4]) == "text") {
    for (const char* title : {"&Program", "&Setup", "&Help"}) {
      window.menuBar()->addMenu(QString::fromLatin1(title));
    }
    window.setCentralWidget(new QLabel(QStringLiteral("Source Port:")));
  }
  window.show();
  return QApplication::exec();
}
