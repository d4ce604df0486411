#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/settings/LaunchOptions.h"
#include "core/wad/StartSpot.h"

namespace quillon {

class StartCopies;

// One map the port would load, and the file that supplies it.
struct StartMap {
  std::string map;    // upper case: "MAP07"
  std::string title;  // empty where none is known
  std::string file;   // full path
  bool fromIwad = false;
};

// What Test hands the port in place of the custom files it lists.
using FileSwap = std::function<std::vector<CustomFile>(std::vector<CustomFile>)>;

// A Test from a copy of one of the user's files: the list as the port gets it, the copy, and
// how to make the copy again, at the same path, from the file as a save left it (what went
// wrong, or empty).
struct StartSwap {
  FileSwap swap;
  std::string copy;
  std::function<std::string()> remake;
};

// What the Start Here window needs of the main window: the maps, and a Test (or a Test in
// Several Ports) with one file in place of another.
class StartHereHost {
 public:
  // The maps of the IWAD and the enabled PWADs as the port would load them, in map order.
  virtual std::vector<StartMap> StartMaps() const = 0;
  // The map the warp box names, when it is on and names one; empty otherwise. `episodes`:
  // the files hold ExMy maps, so a number names one of those.
  virtual std::string WarpedMap(bool episodes) const = 0;
  // Starts as Test (or Test in Several Ports) would, with the file list changed by the swap.
  // The copy is then the host's: it stays while a port started from it runs, or while it is
  // watched to be made again on a save.
  virtual void TestWith(StartSwap start, bool several) = 0;
  virtual StartCopies& Copies() = 0;
  // The marker of each map ("file|MAP01") while Quillon runs.
  virtual std::map<std::string, wad::StartSpot>& Markers() = 0;

 protected:
  ~StartHereHost() = default;
};

}  // namespace quillon
