#include "core/wad/MapMerge.h"

#include <algorithm>
#include <unordered_map>

#include "core/wad/MapNames.h"

namespace quillon::wad {

std::vector<MapChoice> MergeMaps(const std::vector<FileMaps>& filesInLoadOrder) {
  std::vector<MapChoice> choices;
  std::unordered_map<std::string, std::size_t> index;
  for (const FileMaps& file : filesInLoadOrder) {
    for (const MapInfo& map : file.maps) {
      const auto [at, added] = index.emplace(map.name, choices.size());
      if (added) {
        choices.push_back({map.name, file.file});
      } else {
        choices[at->second].file = file.file;
      }
    }
  }
  std::stable_sort(choices.begin(), choices.end(), [](const MapChoice& a, const MapChoice& b) {
    return MapOrderLess(a.map, b.map);
  });
  return choices;
}

std::vector<MapChoice> CollectMaps(const std::vector<std::string>& pathsInLoadOrder,
                                   WadCache& cache) {
  std::vector<FileMaps> files;
  files.reserve(pathsInLoadOrder.size());
  for (const std::string& path : pathsInLoadOrder) {
    const auto read = cache.Read(path);
    if (read->Ok()) files.push_back({path, read->directory.maps});
  }
  return MergeMaps(files);
}

}  // namespace quillon::wad
