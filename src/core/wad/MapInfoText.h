#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon::wad {

// A map's title as a map-info lump gives it.
struct MapTitle {
  std::string map;  // upper case
  std::string title;
};

struct MapInfoRead {
  std::vector<MapTitle> titles;  // in the lump's order; a map named twice keeps its last
  std::string error;             // UMAPINFO only: "line 12: ..." where it stops parsing
};

// UMAPINFO: `MAP MAP01 { levelname = "Entryway" ... }`. Anything the format does not allow
// stops the reading with the line it is on, as the ports that read the lump stop on it.
MapInfoRead ReadUmapinfo(std::string_view text);

// The titles of MAPINFO and ZMAPINFO (`map MAP01 "Entryway"`, with or without a block after
// it) and of EMAPINFO (`[MAP01]` then `levelname = Entryway`). These readers are lenient:
// what they do not understand is skipped.
MapInfoRead ReadZMapinfoTitles(std::string_view text);
MapInfoRead ReadEMapinfoTitles(std::string_view text);

// What a DEHACKED text uses: BEX sections or mnemonics, MBF21 fields.
struct DehackedKind {
  bool bex = false;
  bool mbf21 = false;
  bool newThings = false;  // gives a thing an editor number ("ID # = ...")
};
DehackedKind ReadDehackedKind(std::string_view text);

// The complevel a COMPLVL lump names ("vanilla", "boom", "mbf", "mbf21"), or -1. "vanilla" is
// given as 2; the caller picks 3 for an Ultimate Doom IWAD.
int ComplevelFromLump(std::string_view text);

}  // namespace quillon::wad
