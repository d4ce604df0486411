#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/wad/MapData.h"

namespace quillon::wad {

// Where player 1 is to start, and the way it faces (degrees, 0 east, counter-clockwise).
struct StartSpot {
  double x = 0;
  double y = 0;
  double angle = 0;
  bool operator==(const StartSpot&) const = default;
};

inline constexpr std::int64_t kNoSector = -1;

// The sector the point lies in: with classic nodes, the one the BSP tree leads to, as the
// port finds it, when the point lies inside that sector's lines; otherwise the sector whose
// closed boundary holds it (even-odd over each sector's lines). kNoSector in the void.
std::int64_t SectorAt(const MapData& map, double x, double y);

// Why a start cannot be put there; empty when it can.
std::string SpotRefusal(const MapData& map, double x, double y);

// The facing the format can store: the nearest 45 degrees in the Doom and Hexen formats,
// the nearest whole degree in UDMF; always in [0, 360).
double StoredFacing(MapFormat format, double degrees);

// Player 1's start: the last thing of type 1, since the ports put the player at the last one
// and leave the earlier ones as "voodoo dolls". -1 when the map has none.
std::int64_t PlayerStartIndex(const MapData& map);

struct StartCopy {
  bool ok = false;
  std::string error;   // why no copy can be made
  std::string bytes;   // the whole WAD
  bool added = false;  // the map had no player 1 start: one was added
  // The changed lump no longer fits in its place: its new bytes follow the old file, with
  // a copy of the directory naming them (the header points there), and every earlier byte
  // but the header's directory offset is the original's.
  bool relocated = false;
};

// The WAD `wad` with player 1's start of map `mapName` moved to `spot`. In a binary map only
// the start's x, y and angle fields change; in UDMF only the values of its block's x, y and
// angle (a shorter block is padded with blanks, a longer one relocates TEXTMAP). A map
// without a player 1 start gets one added at the end of its THINGS or TEXTMAP. Never throws.
StartCopy CopyWithStart(std::string_view wad, std::string_view mapName, const StartSpot& spot);

// A PWAD of map `mapName` of `wad` alone: its marker, then its lumps as stored. A map the
// IWAD supplies starts from such a file loaded after the others, not from a copy of the
// whole IWAD. `ok` false with the reason when the map cannot be read.
StartCopy MapAlone(std::string_view wad, std::string_view mapName);

}  // namespace quillon::wad
