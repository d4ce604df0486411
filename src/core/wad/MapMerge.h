#pragma once

#include <string>
#include <vector>

#include "core/wad/WadCache.h"
#include "core/wad/WadReader.h"

namespace quillon::wad {

// The maps of one file in the load order.
struct FileMaps {
  std::string file;
  std::vector<MapInfo> maps;
};

// One map to warp to and the file that supplies it.
struct MapChoice {
  std::string map;
  std::string file;
  bool operator==(const MapChoice&) const = default;
};

// Every map once, from the last file that has it (a later file replaces an earlier one's
// lumps), in map order.
std::vector<MapChoice> MergeMaps(const std::vector<FileMaps>& filesInLoadOrder);

// The same for files on disk, the IWAD first, then each enabled custom file in order;
// files that cannot be read as WADs supply nothing.
std::vector<MapChoice> CollectMaps(const std::vector<std::string>& pathsInLoadOrder,
                                   WadCache& cache);

}  // namespace quillon::wad
