#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon::wad {

// A map's number as the ports take it on their command line: "-warp 2 3" for E2M3
// (episode 2), "-warp 7" for MAP07 (episode 0).
struct MapNumber {
  int episode = 0;
  int map = 0;
  auto operator<=>(const MapNumber&) const = default;
};

// ExMy (one digit each, neither 0) or MAPxx (two digits, not 00), any letter case;
// anything else is not a map name.
std::optional<MapNumber> ParseMapName(std::string_view name);

// The order a player meets the maps in: the episodes E1M1..E9M9 first, then MAP01..MAP99.
bool MapOrderLess(std::string_view a, std::string_view b);

// What follows "-warp": "MAP07" and "map07" become "7", "E2M3" becomes "2 3" (blanks around
// the name are allowed). Anything else, "7" and "2 3" included, is returned as typed.
std::string WarpArgument(std::string_view typed);

}  // namespace quillon::wad
