#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/wad/StartSpot.h"
#include "ui/starthere/StartHereHost.h"

namespace quillon {

class Desktop;

// The copies of WADs with a moved start, in a folder of this Quillon's own under `root`
// (made 0700): each is removed once no port started from it runs, and what a Quillon no
// longer running left behind goes at the next start.
class StartCopies : public QObject {
  Q_OBJECT

 public:
  StartCopies(Desktop& desktop, QString root, QObject* parent = nullptr);
  ~StartCopies() override;

  struct Made {
    std::string path;   // empty when none could be made
    std::string error;  // why not
  };
  // The copy of `map`'s file as it is on disk now, player 1 starting at `spot`: the whole
  // WAD with its start moved, or for an IWAD's map that map alone.
  Made Make(const StartMap& map, const wad::StartSpot& spot);
  // The processes started from `path`; with none, the copy goes at once.
  void UsedBy(const std::string& path, std::vector<std::int64_t> pids);
  QString Folder() const { return folder_; }
  // Removes the copies no port uses any more.
  void Sweep();

 private:
  Desktop& desktop_;
  QString folder_;
  std::uint64_t made_ = 0;
  std::vector<std::pair<std::string, std::vector<std::int64_t>>> inUse_;
  QTimer sweeper_;
};

}  // namespace quillon
