#include "ui/launch/SaveWatcher.h"

#include <sys/stat.h>

#include <QFileInfo>
#include <set>

#include "core/files/PathHelpers.h"
#include "core/wad/WadReader.h"
#include "ui/desktop/QtText.h"

namespace quillon {

SaveWatcher::SaveWatcher(QObject* parent, int stillMs) : QObject(parent), settle_(stillMs) {
  clock_.start();
  due_.setSingleShot(true);
  connect(&due_, &QTimer::timeout, this, &SaveWatcher::Look);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &SaveWatcher::FileEvent);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &SaveWatcher::FolderEvent);
}

void SaveWatcher::WatchFiles(const std::vector<std::string>& files) {
  if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  stamps_.clear();
  settle_.Clear();
  due_.stop();
  std::set<QString> folders;
  for (const std::string& file : files) {
    stamps_[file] = StampOf(file);
    if (stamps_[file].present) watcher_.addPath(Qs(file));
    folders.insert(QFileInfo(Qs(file)).absolutePath());
  }
  for (const QString& folder : folders) watcher_.addPath(folder);
}

SaveWatcher::Stamp SaveWatcher::StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return {true, static_cast<qint64>(info.st_size),
          static_cast<qint64>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
          static_cast<quint64>(info.st_ino)};
}

// A WAD reads whole when its header and directory lie within the file; a patch when it can
// be opened.
SavedFileState SaveWatcher::Probe(const std::string& path) {
  const QFileInfo info(Qs(path));
  if (!info.isFile()) return {};
  if (ExtensionOf(FileNameOf(path)) != "wad") {
    if (info.isReadable()) return {true, true, {}};
    return {true, false, "it cannot be read"};
  }
  const wad::WadReadResult read = wad::ReadWadFile(path);
  if (read.Ok()) return {true, true, {}};
  return {true, false, read.detail.empty() ? std::string("it is not a whole WAD") : read.detail};
}

void SaveWatcher::FileEvent(const QString& path) {
  const std::string file = Ss(path);
  if (!stamps_.contains(file)) return;
  // A file renamed over or removed has lost its watch; it gets one again if it is back.
  if (!watcher_.files().contains(path) && QFileInfo(path).isFile()) watcher_.addPath(path);
  stamps_[file] = StampOf(file);
  Moved(file);
}

void SaveWatcher::FolderEvent(const QString& folder) {
  for (auto& [file, stamp] : stamps_) {
    if (QFileInfo(Qs(file)).absolutePath() != folder) continue;
    const Stamp now = StampOf(file);
    if (now == stamp) continue;  // another file of the folder changed
    stamp = now;
    if (now.present && !watcher_.files().contains(Qs(file))) watcher_.addPath(Qs(file));
    Moved(file);
  }
}

void SaveWatcher::Moved(const std::string& path) {
  settle_.Changed(path, clock_.elapsed());
  Arm();
}

void SaveWatcher::Arm() {
  const auto due = settle_.DueAt();
  if (!due) return;
  due_.start(static_cast<int>(std::max<qint64>(0, *due - clock_.elapsed())));
}

void SaveWatcher::Look() {
  const SaveVerdict verdict = settle_.Look(clock_.elapsed(), &SaveWatcher::Probe);
  switch (verdict.kind) {
    case SaveVerdict::Kind::Wait:
      Arm();
      return;
    case SaveVerdict::Kind::Restart: {
      QStringList files;
      for (const std::string& file : verdict.files) files << Qs(file);
      emit Saved(files);
      return;
    }
    case SaveVerdict::Kind::CannotRead:
      emit Unreadable(Qs(verdict.files.front()), Qs(verdict.reason));
      return;
  }
}

}  // namespace quillon
