#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

class Desktop;

// This Quillon's own folder for the copies it hands the ports (a WAD with its start moved,
// a WAD with its nodes built), under `root` and named by our process (made 0700 when the
// first copy is made). A copy goes once no port started from it runs and nothing holds it;
// what a Quillon no longer running left behind goes when the next one starts.
class CopyFolder : public QObject {
  Q_OBJECT

 public:
  CopyFolder(Desktop& desktop, QString root, QObject* parent = nullptr);

  QString Folder() const { return folder_; }
  // A new name in the folder for a copy of `name`: "<kind>-<n>-<name>".
  std::string NewPath(std::string_view kind, std::string_view name);
  // The processes started from `path`, beside those already using it; with none and nothing
  // holding it, the copy goes at once.
  void UsedBy(const std::string& path, std::vector<std::int64_t> pids);
  // Held, a copy stays while no port runs (between a port's end and its start again). Holds
  // are counted: each is let go by its own Hold(path, false).
  void Hold(const std::string& path, bool held);
  // Removes the copies nothing uses any more.
  void Sweep();

 private:
  Desktop& desktop_;
  QString folder_;
  std::uint64_t made_ = 0;
  std::vector<std::pair<std::string, std::vector<std::int64_t>>> inUse_;
  std::multiset<std::string> held_;
  QTimer sweeper_;
};

}  // namespace quillon
