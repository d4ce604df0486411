#include "core/wad/WadAnalysis.h"

#include <algorithm>
#include <exception>
#include <set>

#include "core/files/PathHelpers.h"
#include "core/wad/MapInfoText.h"
#include "core/wad/MapNames.h"

namespace quillon::wad {

namespace {

// The most bytes read of one text lump (UMAPINFO, MAPINFO, DEHACKED, ...) or of a texture
// directory; real ones are a few hundred kilobytes. A larger one is described, not read.
constexpr std::uint32_t kMaxTextLumpBytes = 16u << 20;

// The thing types Doom II's executable knows (its mobjinfo table and the player and
// deathmatch starts), and MBF's helper dog. Ranges, both ends included.
constexpr std::pair<std::int32_t, std::int32_t> kKnownThings[] = {
    {1, 89},      {888, 888},   {2001, 2008}, {2010, 2015}, {2018, 2019},
    {2022, 2026}, {2028, 2028}, {2035, 2035}, {2045, 2049}, {3001, 3006},
};

bool KnownThing(std::int32_t type) {
  return std::any_of(std::begin(kKnownThings), std::end(kKnownThings), [&](const auto& range) {
    return type >= range.first && type <= range.second;
  });
}

// Boom's generalized line types start here; those below that vanilla Doom II lacks are
// Boom's (and 271, 272, MBF's sky transfers, counted as Boom's too).
constexpr std::int32_t kGeneralizedLines = 0x2F80;
constexpr std::int32_t kLastVanillaLine = 141;
// MBF21's offset scrollers.
constexpr std::int32_t kMbf21Lines[] = {1024, 1025, 1026};
// Line flags: Boom's pass-through is 0x200; MBF21 blocks land monsters (0x1000) and
// players (0x2000). 0x800 is the flag Boom reads as "ignore the upper bits".
constexpr std::uint32_t kBoomLineFlags = 0x200;
constexpr std::uint32_t kMbf21LineFlags = 0x1000 | 0x2000;
constexpr std::uint32_t kBoomReservedFlag = 0x800;
// Sector specials: Boom's generalized bits (damage, secret, friction, push) from bit 5;
// MBF21's alternate damage and kill-grounded-monsters are bits 12 and 13.
constexpr std::int32_t kBoomSectorBits = 0x0FE0;
constexpr std::int32_t kMbf21SectorBits = 0x3000;
// Boom's deep water (242) and translucent lines (260) may name a colormap or a lump in their
// sidedefs' texture fields, not a texture.
constexpr std::int32_t kLinesNamingLumps[] = {242, 260};

void AddOnce(std::vector<std::string>& list, const std::string& name) {
  if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
}

bool IsTextureName(const std::string& name) {
  return !name.empty() && name != "-";
}

class Analyzer {
 public:
  Analyzer(WadSource& source, WadNeeds& needs) : source_(source), needs_(needs) {}

  void Run(const WadDirectory& directory) {
    needs_.kind = directory.kind;
    ReadFileLumps(directory.lumps);
    for (const MapInfo& info : directory.maps) needs_.maps.push_back(ReadOneMap(directory, info));
    for (MapNeeds& map : needs_.maps) {
      for (const MapTitle& title : titles_) {
        if (title.map == map.name) map.title = title.title;
      }
    }
  }

 private:
  // The lump's bytes, or false with a note in `problems_` when it is too large or unreadable.
  bool Text(const Lump& lump, std::string& out) {
    out.clear();
    if (lump.size > kMaxTextLumpBytes) {
      AddOnce(needs_.problems, lump.name + " is " + std::to_string(lump.size) +
                                   " bytes, more than Quillon reads of such a lump");
      return false;
    }
    if (!ReadLump(source_, lump, out)) {
      AddOnce(needs_.problems, lump.name + " could not be read");
      return false;
    }
    return true;
  }

  void Feature(const char* name) { AddOnce(needs_.features, name); }

  void ReadFileLumps(const std::vector<Lump>& lumps) {
    std::string bytes;
    std::vector<MapTitle> umapinfoTitles;
    std::vector<MapTitle> otherTitles;
    enum class Between : std::uint8_t { kNone, kFlats, kSprites, kTextures };
    Between between = Between::kNone;
    std::set<std::string> flatSeen;
    const Lump* pnames = nullptr;
    std::vector<const Lump*> textureLumps;
    for (const Lump& lump : lumps) {
      const std::string name = AsciiUpper(lump.name);
      if (name == "F_START" || name == "FF_START") {
        between = Between::kFlats;
        Feature("FLATS");
        continue;
      }
      if (name == "S_START" || name == "SS_START") {
        between = Between::kSprites;
        Feature("SPRITES");
        continue;
      }
      if (name == "TX_START") {
        between = Between::kTextures;
        Feature("TEXTURES");
        continue;
      }
      if (name == "F_END" || name == "FF_END" || name == "S_END" || name == "SS_END" ||
          name == "TX_END") {
        between = Between::kNone;
        continue;
      }
      if (between == Between::kFlats) {
        if (!name.ends_with("_START") && !name.ends_with("_END") && flatSeen.insert(name).second) {
          needs_.flatsProvided.push_back(name);
        }
        continue;
      }
      if (between == Between::kTextures) {
        if (textureSeen_.insert(name).second) {
          needs_.texturesFromTx.push_back(name);
          needs_.texturesProvided.push_back(name);
        }
        continue;
      }
      if (between == Between::kSprites) continue;
      if (name == "TEXTURE1" || name == "TEXTURE2") {
        textureLumps.push_back(&lump);
      } else if (name == "PNAMES") {
        pnames = &lump;
      } else if (name == "COMPLVL") {
        Feature("COMPLVL");
        if (Text(lump, bytes)) {
          const int level = ComplevelFromLump(bytes);
          if (level > 0) needs_.complevel = level;
        }
      } else if (name == "GAMEVERS") {
        Feature("GAMEVERS");
      } else if (name == "UMAPINFO") {
        Feature("UMAPINFO");
        if (Text(lump, bytes)) {
          MapInfoRead read = ReadUmapinfo(bytes);
          if (!read.error.empty()) needs_.umapinfoError = "UMAPINFO " + read.error;
          umapinfoTitles = std::move(read.titles);
        }
      } else if (name == "MAPINFO" || name == "ZMAPINFO") {
        Feature(name == "MAPINFO" ? "MAPINFO" : "ZMAPINFO");
        if (Text(lump, bytes)) Merge(otherTitles, ReadZMapinfoTitles(bytes).titles);
      } else if (name == "EMAPINFO") {
        Feature("EMAPINFO");
        if (Text(lump, bytes)) Merge(otherTitles, ReadEMapinfoTitles(bytes).titles);
      } else if (name == "DEHACKED") {
        Feature("DEHACKED");
        if (Text(lump, bytes)) {
          const DehackedKind kind = ReadDehackedKind(bytes);
          if (kind.bex) Feature("DEHACKED (BEX)");
          if (kind.mbf21) Feature("DEHACKED (MBF21)");
          needs_.newThingTypes = needs_.newThingTypes || kind.newThings;
        }
      } else if (name == "DECORATE" || name == "ZSCRIPT") {
        Feature(name == "DECORATE" ? "DECORATE" : "ZSCRIPT");
        needs_.newThingTypes = true;
      } else if (name == "ANIMATED" || name == "SWITCHES") {
        Feature(name == "ANIMATED" ? "ANIMATED" : "SWITCHES");
      }
    }
    ReadTextures(textureLumps, pnames);
    // UMAPINFO's titles win where both name a map: the ports that read it prefer it.
    titles_ = std::move(otherTitles);
    Merge(titles_, umapinfoTitles);
  }

  static void Merge(std::vector<MapTitle>& into, const std::vector<MapTitle>& from) {
    for (const MapTitle& title : from) {
      const auto same = std::find_if(into.begin(), into.end(),
                                     [&](const MapTitle& known) { return known.map == title.map; });
      if (same != into.end()) {
        same->title = title.title;
      } else {
        into.push_back(title);
      }
    }
  }

  // TEXTURE1/TEXTURE2: a count, that many offsets, and at each a texture's 8-letter name and
  // its patches, which index PNAMES.
  void ReadTextures(const std::vector<const Lump*>& lumps, const Lump* pnames) {
    std::string bytes;
    std::uint32_t patchCount = 0;
    bool havePatches = false;
    if (pnames != nullptr && Text(*pnames, bytes) && bytes.size() >= 4) {
      patchCount = Uint32(bytes.data());
      havePatches = true;
      if (patchCount > (bytes.size() - 4) / 8) {
        AddOnce(needs_.problems, "PNAMES names " + std::to_string(patchCount) +
                                     " patches but holds " +
                                     std::to_string((bytes.size() - 4) / 8));
        patchCount = static_cast<std::uint32_t>((bytes.size() - 4) / 8);
      }
    }
    for (const Lump* lump : lumps) {
      if (!Text(*lump, bytes) || bytes.size() < 4) continue;
      const std::uint64_t count = Uint32(bytes.data());
      const std::uint64_t fits = (bytes.size() - 4) / 4;
      if (count > fits) {
        AddOnce(needs_.problems, lump->name + " names " + std::to_string(count) +
                                     " textures but has room for " + std::to_string(fits));
      }
      std::size_t badPatches = 0;
      for (std::uint64_t i = 0; i < std::min(count, fits); ++i) {
        const std::uint64_t at = Uint32(bytes.data() + 4 + i * 4);
        if (at + 22 > bytes.size()) {
          AddOnce(needs_.problems, lump->name + " has a texture outside the lump");
          continue;
        }
        const char* record = bytes.data() + at;
        const char* end = std::find(record, record + 8, '\0');
        const std::string name =
            AsciiUpper(std::string_view(record, static_cast<std::size_t>(end - record)));
        if (textureSeen_.insert(name).second) needs_.texturesProvided.push_back(name);
        const std::uint64_t patches = Uint16(record + 20);
        for (std::uint64_t p = 0; havePatches && p < patches; ++p) {
          const std::uint64_t patchAt = at + 22 + p * 10;
          if (patchAt + 10 > bytes.size()) break;
          if (Uint16(bytes.data() + patchAt + 4) >= patchCount) ++badPatches;
        }
      }
      if (badPatches > 0) {
        AddOnce(needs_.problems, lump->name + ": " + std::to_string(badPatches) +
                                     " patches name no entry of PNAMES");
      }
    }
  }

  MapNeeds ReadOneMap(const WadDirectory& directory, const MapInfo& info) {
    MapNeeds needs;
    needs.name = info.name;
    needs.format = info.format;
    const MapReadResult read = ReadMap(source_, directory, info.name);
    if (!read.ok) {
      needs.problems.push_back(read.error);
      return needs;
    }
    const MapData& map = read.map;
    needs.format = map.format;
    needs.udmfNamespace = map.udmfNamespace;
    needs.nodes = map.nodes;
    needs.linedefs = map.lines.size();
    needs.sidedefs = map.sides.size();
    needs.vertices = map.vertices.size();
    needs.things = map.things.size();
    needs.problems = map.problems;
    for (const Lump& lump : map.lumps) {
      if (AsciiUpper(lump.name) == "SEGS") needs.segs = lump.size / 12;
    }
    const bool doomFormat = map.format == MapFormat::kDoom;
    std::vector<bool> namesLumps(map.sides.size(), false);
    for (const MapLine& line : map.lines) {
      if (doomFormat) ReadLineFeatures(line, needs);
      const bool special = std::find(std::begin(kLinesNamingLumps), std::end(kLinesNamingLumps),
                                     line.special) != std::end(kLinesNamingLumps);
      if (!doomFormat || !special) continue;
      for (const std::int64_t side : {line.front, line.back}) {
        if (side >= 0 && static_cast<std::size_t>(side) < namesLumps.size()) {
          namesLumps[static_cast<std::size_t>(side)] = true;
        }
      }
    }
    std::set<std::string> textures;
    for (std::size_t i = 0; i < map.sides.size(); ++i) {
      if (namesLumps[i]) continue;
      const MapSide& side = map.sides[i];
      for (const std::string* name : {&side.upper, &side.lower, &side.middle}) {
        if (IsTextureName(*name) && textures.insert(*name).second) needs.textures.push_back(*name);
      }
    }
    std::set<std::string> flats;
    for (const MapSector& sector : map.sectors) {
      if (doomFormat && (sector.special & kBoomSectorBits) != 0) needs.boomSpecials = true;
      if (doomFormat && (sector.special & kMbf21SectorBits) != 0) needs.mbf21 = true;
      for (const std::string* name : {&sector.floor, &sector.ceiling}) {
        if (!name->empty() && flats.insert(*name).second) needs.flats.push_back(*name);
      }
    }
    std::set<std::int32_t> unknown;
    for (const MapThing& thing : map.things) {
      if (!thing.hasType) continue;
      if (thing.type == 1) needs.player1Start = true;
      if (map.format != MapFormat::kUdmf && (thing.flags & 0x80) != 0 &&
          (thing.flags & 0x100) == 0) {
        needs.mbfThings = true;  // MBF's friendly flag
      }
      if (thing.type == 888) needs.mbfThings = true;
      // A Doom thing on no skill, or only in multiplayer, is never spawned in a single game.
      const bool spawned =
          map.format != MapFormat::kDoom || ((thing.flags & 7) != 0 && (thing.flags & 0x10) == 0);
      if (spawned && !KnownThing(thing.type) && unknown.insert(thing.type).second) {
        needs.unknownThings.push_back(thing.type);
      }
    }
    return needs;
  }

  static void ReadLineFeatures(const MapLine& line, MapNeeds& needs) {
    if (line.special >= kGeneralizedLines ||
        (line.special > kLastVanillaLine && line.special < 1024)) {
      needs.boomSpecials = true;
    }
    if (std::find(std::begin(kMbf21Lines), std::end(kMbf21Lines), line.special) !=
        std::end(kMbf21Lines)) {
      needs.mbf21 = true;
    }
    if ((line.flags & kBoomReservedFlag) != 0) return;  // the upper bits are an editor's noise
    if ((line.flags & kBoomLineFlags) != 0) needs.boomSpecials = true;
    if ((line.flags & kMbf21LineFlags) != 0) needs.mbf21 = true;
  }

  static std::uint32_t Uint16(const char* bytes) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[0]) |
                                      (static_cast<unsigned char>(bytes[1]) << 8));
  }
  static std::uint32_t Uint32(const char* bytes) {
    return Uint16(bytes) | (Uint16(bytes + 2) << 16);
  }

  WadSource& source_;
  WadNeeds& needs_;
  std::set<std::string> textureSeen_;
  std::vector<MapTitle> titles_;
};

}  // namespace

bool WadNeeds::Has(const std::string& feature) const {
  return std::find(features.begin(), features.end(), feature) != features.end();
}

std::vector<std::string> Brings(const WadNeeds& needs) {
  std::vector<std::string> brings = needs.features;
  const auto any = [&](bool MapNeeds::*what) {
    return std::any_of(needs.maps.begin(), needs.maps.end(),
                       [&](const MapNeeds& map) { return map.*what; });
  };
  if (any(&MapNeeds::boomSpecials)) brings.emplace_back("Boom specials");
  if (any(&MapNeeds::mbfThings)) brings.emplace_back("MBF");
  if (any(&MapNeeds::mbf21)) AddOnce(brings, "MBF21");
  return brings;
}

std::string_view FormatWord(MapFormat format) {
  switch (format) {
    case MapFormat::kDoom:
      return "Doom";
    case MapFormat::kHexen:
      return "Hexen";
    case MapFormat::kUdmf:
      return "UDMF";
  }
  return "Doom";
}

std::string_view NodeWord(NodeFormat nodes) {
  switch (nodes) {
    case NodeFormat::kNone:
      return "none";
    case NodeFormat::kClassic:
      return "classic";
    case NodeFormat::kGlOnly:
      return "GL only";
    case NodeFormat::kExtended:
      return "extended";
    case NodeFormat::kCompressed:
      return "compressed";
    case NodeFormat::kUdmfZnodes:
      return "ZNODES";
  }
  return "none";
}

WadNeeds AnalyzeWad(WadSource& source, const std::string& path) {
  WadNeeds needs;
  needs.path = path;
  try {
    const WadReadResult wad = ReadWad(source);
    needs.status = wad.status;
    needs.error = wad.detail;
    if (!wad.Ok()) return needs;
    Analyzer(source, needs).Run(wad.directory);
  } catch (const std::exception& error) {
    needs.status = WadStatus::kUnreadable;
    needs.error = std::string("reading it failed: ") + error.what();
    needs.maps.clear();
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
