#include "ui/about/Emblem.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace quillon {

namespace {

// Waits for the first exposure of a window (shown, or about to be).
class IconOnExposure : public QObject {
 public:
  using QObject::QObject;

  // After the paint that follows the exposure.
  void Give() {
    QTimer::singleShot(0, this, [this] {
      QApplication::setWindowIcon(EmblemIcon());
      deleteLater();
    });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      watched->removeEventFilter(this);
      Give();
    }
    return false;
  }
};

}  // namespace

QPixmap EmblemPixmap() {
  return QPixmap(QStringLiteral(":/quillon/emblem.png"));
}

QIcon EmblemIcon() {
  // Each size is drawn for itself (16 and 24 on their own pixel grid), so Qt picks the
  // nearest rather than shrinking the large one into a blur.
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/quillon/quillon-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

void GiveEmblemOnceShown(QWidget* window) {
  auto* giver = new IconOnExposure(window);
  QWindow* handle = window->windowHandle();
  if (handle && !handle->isExposed()) {
    handle->installEventFilter(giver);
  } else {
    giver->Give();
  }
}

}  // namespace quillon
