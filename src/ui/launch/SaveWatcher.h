#pragma once

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <map>
#include <string>
#include <vector>

#include "core/launch/SaveSettle.h"

namespace quillon {

// Watches files for saves: one watch per file, and one per folder to see a file renamed
// over or made again (the file's own watch goes with its old inode). Each event only
// marks the file as moved; a single-shot timer, armed only while a save settles, asks
// SaveSettle when every moved file has been still long enough and reads whole. Nothing
// runs while nothing changes.
class SaveWatcher : public QObject {
  Q_OBJECT

 public:
  static constexpr int kStillMs = 150;
  explicit SaveWatcher(QObject* parent = nullptr, int stillMs = kStillMs);

  // Watches these files (full paths) instead of those before; none: watches nothing.
  void WatchFiles(const std::vector<std::string>& files);
  int Watched() const { return static_cast<int>(stamps_.size()); }

 signals:
  // The files have been saved completely.
  void Saved(const QStringList& files);
  // A file moved but cannot be read now; `reason` as a clause ("it is not there").
  void Unreadable(const QString& file, const QString& reason);

 private:
  struct Stamp {
    bool present = false;
    qint64 size = 0;
    qint64 mtimeNs = 0;
    quint64 inode = 0;
    bool operator==(const Stamp&) const = default;
  };
  static Stamp StampOf(const std::string& path);
  static SavedFileState Probe(const std::string& path);
  void FileEvent(const QString& path);
  void FolderEvent(const QString& folder);
  void Moved(const std::string& path);
  void Arm();
  void Look();

  QFileSystemWatcher watcher_;
  SaveSettle settle_;
  QElapsedTimer clock_;
  QTimer due_;
  std::map<std::string, Stamp> stamps_;
};

}  // namespace quillon
