#include "core/wad/WadAnalysis.h"

#include <algorithm>
#include <exception>

namespace quillon::wad {

bool WadNeeds::Has(const std::string& feature) const {
  return std::find(features.begin(), features.end(), feature) != features.end();
}

WadNeeds AnalyzeWad(WadSource& source, const std::string& path) {
  WadNeeds needs;
  needs.path = path;
  try {
    const WadReadResult wad = ReadWad(source);
    needs.status = wad.status;
    needs.error = wad.detail;
    if (!wad.Ok()) return needs;
    needs.kind = wad.directory.kind;
    for (const MapInfo& info : wad.directory.maps) {
      MapNeeds map;
      map.name = info.name;
      map.format = info.format;
      needs.maps.push_back(std::move(map));
    }
  } catch (const std::exception& error) {
    needs.status = WadStatus::kUnreadable;
    needs.error = std::string("reading it failed: ") + error.what();
  }
  return needs;
}

WadNeeds AnalyzeWadFile(const std::string& path) {
  FileSource source(path);
  if (!source.IsOpen()) {
    const WadReadResult failed = ReadWadFile(path);  // tells a missing file from another fault
    WadNeeds needs;
    needs.path = path;
    needs.status = failed.status;
    needs.error = failed.detail;
    return needs;
  }
  return AnalyzeWad(source, path);
}

}  // namespace quillon::wad
