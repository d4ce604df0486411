#include "core/wad/WadDescription.h"

#include "core/files/PathHelpers.h"
#include "core/wad/MapNames.h"

namespace quillon::wad {

namespace {

bool IsPatch(std::string_view path) {
  const std::string extension = ExtensionOf(FileNameOf(path));
  return extension == "deh" || extension == "bex";
}

bool FollowsOn(const MapInfo& previous, const MapInfo& next) {
  const auto a = ParseMapName(previous.name);
  const auto b = ParseMapName(next.name);
  return a && b && a->episode == b->episode && a->map + 1 == b->map;
}

}  // namespace

std::string MapListText(const std::vector<MapInfo>& maps, std::size_t maxItems) {
  std::string text;
  std::size_t items = 0;
  std::size_t shown = 0;
  for (std::size_t i = 0; i < maps.size();) {
    std::size_t last = i;
    while (last + 1 < maps.size() && FollowsOn(maps[last], maps[last + 1])) ++last;
    // A run of two reads better as two names than as a range.
    if (last - i < 2) last = i;
    if (items == maxItems) break;
    if (items > 0) text += ", ";
    text += maps[i].name;
    if (last > i) text += "\u2013" + maps[last].name;
    ++items;
    shown += last - i + 1;
    i = last + 1;
  }
  if (shown < maps.size()) text += ", and " + std::to_string(maps.size() - shown) + " more";
  return text;
}

FileDescription DescribeFile(std::string_view path, const WadReadResult& read) {
  switch (read.status) {
    case WadStatus::kFileNotFound:
      return {"file not found", true};
    case WadStatus::kUnreadable:
      return {"file cannot be read", true};
    default:
      break;
  }
  if (IsPatch(path)) return {"Dehacked patch", false};
  if (!read.Ok()) return {"not a WAD file", true};
  const WadDirectory& wad = read.directory;
  std::string text = wad.kind == WadKind::kIwad ? "IWAD, " : "PWAD, ";
  if (wad.maps.empty()) return {text + "no maps", false};
  text += std::to_string(wad.maps.size()) + (wad.maps.size() == 1 ? " map: " : " maps: ");
  return {text + MapListText(wad.maps), false};
}

}  // namespace quillon::wad
