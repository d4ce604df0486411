#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/wad/MapData.h"
#include "core/wad/WadReader.h"

namespace quillon::wad {

// What one map needs of a port: its format, nodes, sizes and the features it is built on.
struct MapNeeds {
  std::string name;  // "MAP07"
  MapFormat format = MapFormat::kDoom;
  std::string udmfNamespace;  // UDMF only
  std::string title;          // from UMAPINFO or the MAPINFO family, where one is given
  NodeFormat nodes = NodeFormat::kNone;
  std::uint64_t linedefs = 0;
  std::uint64_t sidedefs = 0;
  std::uint64_t vertices = 0;
  std::uint64_t segs = 0;
  std::uint64_t things = 0;
  bool boomSpecials = false;  // generalized line types or Boom sector specials
  bool mbf21 = false;         // MBF21 line flags or specials
  bool mbfThings = false;     // MBF's helper dog or friendly flag
  bool player1Start = false;
  std::vector<std::int32_t> unknownThings;  // thing types the game does not know, each once
  std::vector<std::string> textures;        // every wall texture named, each once, upper case
  std::vector<std::string> flats;           // every flat named, each once, upper case
  std::vector<std::string> problems;        // what the map reader found broken
};

// What one file is and brings, read once and kept (see the cache in the window).
struct WadNeeds {
  std::string path;
  WadStatus status = WadStatus::kUnreadable;  // kOk for a readable WAD
  std::string error;                          // why it is not a readable WAD
  WadKind kind = WadKind::kPwad;
  std::vector<MapNeeds> maps;  // in map order
  // The lumps that change what ports do, as found: "COMPLVL", "GAMEVERS", "UMAPINFO",
  // "MAPINFO", "ZMAPINFO", "EMAPINFO", "DEHACKED", "DEHACKED (BEX)", "DEHACKED (MBF21)",
  // "DECORATE", "ZSCRIPT", "ANIMATED", "SWITCHES", "SPRITES", "FLATS", "TEXTURES".
  std::vector<std::string> features;
  std::optional<int> complevel;               // from COMPLVL, where it names one
  std::string umapinfoError;                  // UMAPINFO that does not parse: what and where
  std::vector<std::string> texturesProvided;  // TEXTURE1/2 and TX_START..TX_END, upper case
  std::vector<std::string> flatsProvided;     // between the flat markers, upper case
  std::vector<std::string> texturesFromTx;    // TX_START..TX_END alone (the ZDoom family's)
  bool newThingTypes = false;         // DEHACKED with "ID #", DECORATE or ZSCRIPT: types of its own
  std::vector<std::string> problems;  // lumps too large, broken texture directories, ...
  bool Ok() const { return status == WadStatus::kOk; }
  bool Has(const std::string& feature) const;
};

// Reads what the file needs and brings. Memory stays bounded by the lumps read; a broken or
// hostile file is described, never a crash. Never throws.
WadNeeds AnalyzeWad(WadSource& source, const std::string& path);
WadNeeds AnalyzeWadFile(const std::string& path);

// What the file brings, in words for a tip or a report: its features, then what its maps are
// built on ("Boom specials", "MBF", "MBF21").
std::vector<std::string> Brings(const WadNeeds& needs);

// "Doom", "Hexen", "UDMF"; and a node format in words ("none", "classic", "GL only",
// "extended", "compressed").
std::string_view FormatWord(MapFormat format);
std::string_view NodeWord(NodeFormat nodes);

}  // namespace quillon::wad
