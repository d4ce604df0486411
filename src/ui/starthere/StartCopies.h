#pragma once

#include <QString>
#include <string>

#include "core/wad/StartSpot.h"
#include "ui/starthere/StartHereHost.h"

namespace quillon {

class CopyFolder;

// The copies of WADs with a moved start, in Quillon's own folder for copies (CopyFolder):
// each is removed once no port started from it runs.
class StartCopies {
 public:
  explicit StartCopies(CopyFolder& folder) : folder_(folder) {}

  struct Made {
    std::string path;   // empty when none could be made
    std::string error;  // why not
  };
  // The copy of `map`'s file as it is on disk now, player 1 starting at `spot`: the whole
  // WAD with its start moved, or for an IWAD's map that map alone. With `path`, the copy
  // made there before is replaced (a port still reading the old one keeps it).
  Made Make(const StartMap& map, const wad::StartSpot& spot, std::string path = {});
  QString Folder() const;

 private:
  CopyFolder& folder_;
};

}  // namespace quillon
