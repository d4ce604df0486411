#include "ui/main/DeferredWrites.h"

#include <QCoreApplication>
#include <QTimer>

#include "core/settings/IniCache.h"

namespace quillon {

void DeferSettingsWrites() {
  IniCache::SetFlushRequester([] { QTimer::singleShot(0, [] { IniCache::FlushAll(); }); });
  static bool atQuit = false;  // once, however often the writes are deferred again
  if (atQuit) return;
  atQuit = true;
  QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                   [] { IniCache::FlushAll(); });
}

}  // namespace quillon
