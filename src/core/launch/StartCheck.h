#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/wad/WadDescription.h"

namespace quillon {

// What a start is about to hand a port, as the disk has it at this moment.
struct StartFacts {
  struct File {
    std::string path;
    wad::FileDescription description;
  };
  std::vector<File> files;               // the enabled PWADs and patches, in load order
  std::optional<std::string> iwadEntry;  // the IWAD entry's file; none: the port picks
  bool iwadFound = true;                 // where the port will look, or given in full
  // The maps the IWAD and the PWADs hold; none: the IWAD is the port's own choice or
  // unreadable, so no map can be called missing.
  std::optional<std::vector<std::string>> maps;
  std::optional<std::string> warpMap;  // the map warp goes to; none: warp off
};

// The map a warp text names, as the loaded maps are named: "MAP07", "E2M3", one number as
// MAPxx or, with episodes, two numbers as ExMy; none for any other text.
std::optional<std::string> WarpMapName(std::string_view typed, bool episodes);

// Every problem, in plain words, one a line: a file gone or not a WAD or patch, an IWAD the
// port will not find, a warp map that no loaded file holds. Empty when all is well.
std::vector<std::string> StartProblems(const StartFacts& facts);

// The question that lists them, ending in what "Test Anyway" does.
std::string StartProblemsQuestion(std::string_view portName,
                                  const std::vector<std::string>& problems);

}  // namespace quillon
