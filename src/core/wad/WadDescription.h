#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/wad/WadReader.h"

namespace quillon::wad {

// What a listed file holds, for its tooltip; `broken` asks for a warning mark.
struct FileDescription {
  std::string text;
  bool broken = false;
};

// "PWAD, 3 maps: MAP01, MAP02, MAP07", "PWAD, no maps", "Dehacked patch" (.deh, .bex),
// "not a WAD file", "file not found", or "file cannot be read" when it is there but
// unreadable. `read` is the reader's result for `path`.
FileDescription DescribeFile(std::string_view path, const WadReadResult& read);

// The map names, runs of three or more consecutive maps of one episode shortened to
// "MAP01–MAP32", and at most `maxItems` names or runs, the rest counted: "…, and 12 more".
std::string MapListText(const std::vector<MapInfo>& maps, std::size_t maxItems = 8);

}  // namespace quillon::wad
