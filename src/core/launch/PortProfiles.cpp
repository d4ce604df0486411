#include "core/launch/PortProfiles.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/files/PathHelpers.h"
#include "core/wad/MapNames.h"

namespace quillon {

namespace {

using wad::MapFormat;
using wad::MapNeeds;
using wad::NodeFormat;
using wad::WadNeeds;

constexpr std::string_view kZDoomNamespaces[] = {"doom",   "heretic", "hexen",
                                                 "strife", "zdoom",   "zdoomtranslated"};
constexpr std::string_view kEternityNamespaces[] = {"eternity"};

// What each release supports, and where that is written (docs/ENGINES.md has the table with
// its sources in full).
// clang-format off
const std::vector<PortProfile> kProfiles = {
    {.key = "chocolate-doom", .name = "Chocolate Doom 3.0",
     .source = "man 6 chocolate-doom (3.0.1): behaves as the DOS executable; DEHACKED lumps "
               "only with -dehlump"},
    {.key = "crispy-doom", .name = "Crispy Doom 5.12",
     .hexenGeometryOnly = true, .extendedNodes = true, .compressedNodes = true,
     .mapLimit = 65535, .dehackedLump = true, .bex = true, .animated = true,
     .missingStops = false, .unknownThingStops = false,
     .source = "man 6 crispy-doom (5.12.0): DEHACKED lumps load by default; its README: "
               "static limits removed, DeePBSP and ZDBSP nodes; its changelog: Hexen format "
               "LINEDEFS and THINGS load, \"all interactions with their environment are most "
               "probably broken\" (2.3), ANIMATED and SWITCHES lumps (3.3)"},
    {.key = "prboom-plus", .name = "PrBoom+ 2.6",
     .glNodes = true, .extendedNodes = true, .compressedNodes = true, .mapLimit = 65535,
     .boom = true, .mbf = true, .dehackedLump = true, .bex = true, .umapinfo = true,
     .animated = true, .missingStops = false, .unknownThingStops = false,
     .source = "man 6 prboom-plus (Debian 11, 2.6.0): complevels up to 17 (no MBF21); "
               "UMAPINFO since 2.6um",
     .note = "MBF21 came with its successor dsda-doom"},
    {.key = "dsda-doom", .name = "dsda-doom 0.25",
     .hexenFormat = true, .glNodes = true, .extendedNodes = true, .compressedNodes = true,
     .mapLimit = 65535, .boom = true, .mbf = true, .mbf21 = true, .dehackedLump = true,
     .bex = true, .umapinfo = true, .animated = true, .complvl = true, .missingStops = false,
     .unknownThingStops = false,
     .source = "man 6 dsda-doom (0.25.6) -complevel; README of 0.25.6: \"Heretic, Hexen, "
               "MBF21, and Doom-in-Hexen support\"",
     .note = "UDMF (namespace dsda) came in 0.26.0, MAPINFO in 0.26 as well (patch notes)"},
    {.key = "woof", .name = "Woof! 10.5",
     .extendedNodes = true, .compressedNodes = true, .mapLimit = 65535, .boom = true,
     .mbf = true, .mbf21 = true, .dehackedLump = true, .bex = true, .umapinfo = true,
     .animated = true, .missingStops = false, .unknownThingStops = false,
     .source = "man 6 woof (10.5.1): -complevel vanilla/boom/mbf/mbf21, -nodehlump, -nomapinfo "
               "(UMAPINFO); release notes 5.0.0 (UMAPINFO), 6.0.0 (MBF21)",
     .note = "the doom UDMF namespace is being added after 15 (woof pull request 2407)"},
    {.key = "gzdoom", .name = "GZDoom",
     .hexenFormat = true, .udmfNamespaces = kZDoomNamespaces, .glNodes = true,
     .extendedNodes = true, .compressedNodes = true, .buildsNodes = true, .mapLimit = 65535,
     .boom = true, .mbf = true, .mbf21 = true, .dehackedLump = true, .bex = true,
     .umapinfo = true, .zmapinfo = true, .decorate = true, .animated = true,
     .txTextures = true, .missingStops = false, .unknownThingStops = false,
     .source = "zdoom.org wiki: UDMF, Node builder (rebuilds missing nodes with ZDBSP), "
               "MAPINFO, UMAPINFO, DECORATE, ZScript, TX_START"},
    {.key = "eternity", .name = "Eternity",
     .hexenFormat = true, .udmfNamespaces = kEternityNamespaces, .extendedNodes = true,
     .compressedNodes = true, .mapLimit = 65535, .boom = true, .mbf = true, .mbf21 = true,
     .dehackedLump = true, .bex = true, .umapinfo = true, .emapinfo = true, .animated = true,
     .missingStops = false, .unknownThingStops = false,
     .source = "Eternity Wiki: UDMF (namespace eternity), EMAPINFO, ExtraData; cross-port "
               "node table (doom-cross-port-collab issue 10)",
     .note = "the base doom UDMF namespace is newer than its last release"},
    {.key = "odamex", .name = "Odamex",
     .hexenFormat = true, .extendedNodes = true, .compressedNodes = true, .mapLimit = 65535,
     .boom = true, .mbf = true, .mbf21 = true, .dehackedLump = true, .bex = true,
     .umapinfo = true, .zmapinfo = true, .animated = true, .missingStops = false,
     .unknownThingStops = false,
     .source = "odamex issues 428 (MBF21 in 10.0), 952 and pull request 1388 (ZDoom nodes), "
               "pull request 858 (reads MAPINFO and UMAPINFO, not ZMAPINFO); no UDMF "
               "(doom-cross-port-collab issue 15)",
     .note = "ZDoom extended nodes since 2025"},
};
// clang-format on

// An executable's engine name (as PortFamily gives it) and the profile it gets.
struct NameProfile {
  std::string_view engine;
  std::string_view key;
};
constexpr NameProfile kEngineProfiles[] = {
    {"chocolate-doom", "chocolate-doom"},
    {"crispy-doom", "crispy-doom"},
    {"prboom", "prboom-plus"},
    {"prboom-plus", "prboom-plus"},
    {"glboom", "prboom-plus"},
    {"glboom-plus", "prboom-plus"},
    {"dsda-doom", "dsda-doom"},
    {"woof", "woof"},
    {"nugget-doom", "woof"},
    {"cherry-doom", "woof"},
};

// The profile a family gets when its executable's name is none of the above.
std::string_view FamilyProfile(PortFamily family) {
  switch (family) {
    case PortFamily::Chocolate:
      return "chocolate-doom";
    case PortFamily::Boom:
      return "prboom-plus";
    case PortFamily::ZDoom:
      return "gzdoom";
    case PortFamily::Eternity:
      return "eternity";
    case PortFamily::Odamex:
      return "odamex";
    case PortFamily::Other:
      break;
  }
  return {};
}

std::string Thousands(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, " ");
  return digits;
}

// Collects the reasons, the most serious first.
class Reasons {
 public:
  void Fails(std::string why) { fails_.push_back(std::move(why)); }
  void Differs(std::string why) { differs_.push_back(std::move(why)); }
  PortVerdict Verdict() const {
    PortVerdict verdict;
    verdict.verdict = !fails_.empty()     ? quillon::Verdict::kFails
                      : !differs_.empty() ? quillon::Verdict::kDiffers
                                          : quillon::Verdict::kRuns;
    verdict.why = fails_;
    verdict.why.insert(verdict.why.end(), differs_.begin(), differs_.end());
    return verdict;
  }

 private:
  std::vector<std::string> fails_;
  std::vector<std::string> differs_;
};

void JudgeMap(const PortProfile& port, const MapNeeds& map, Reasons& reasons) {
  const std::string who(port.name);
  if (map.format == MapFormat::kHexen && !port.hexenFormat) {
    if (!port.hexenGeometryOnly) {
      reasons.Fails(map.name + " is in Hexen format; " + who + " takes only Doom format maps");
      return;
    }
    reasons.Differs(map.name + " is in Hexen format; " + who +
                    " loads its lines and things, but its specials and scripts do nothing");
  }
  if (map.format == MapFormat::kUdmf) {
    const std::string ns = map.udmfNamespace.empty() ? "none given" : map.udmfNamespace;
    const bool takes = std::find(port.udmfNamespaces.begin(), port.udmfNamespaces.end(),
                                 map.udmfNamespace) != port.udmfNamespaces.end();
    if (!takes) {
      reasons.Fails(
          map.name + " is in UDMF format, namespace " + ns + "; " + who +
          (port.udmfNamespaces.empty() ? " takes no UDMF" : " does not take that namespace"));
      return;
    }
  }
  switch (map.nodes) {
    case NodeFormat::kNone:
      if (!port.buildsNodes) {
        reasons.Fails(map.name + " has no nodes; " + who + " builds none itself");
      }
      break;
    case NodeFormat::kClassic:
      break;
    case NodeFormat::kGlOnly:
      if (!port.glNodes && !port.buildsNodes) {
        reasons.Fails(map.name + " has only GL nodes; " + who + " needs the NODES lump");
      }
      break;
    case NodeFormat::kExtended:
      if (!port.extendedNodes && !port.buildsNodes) {
        reasons.Fails(map.name + " has extended nodes; " + who + " takes only classic nodes");
      }
      break;
    case NodeFormat::kCompressed:
    case NodeFormat::kUdmfZnodes:
      if (!port.compressedNodes && !port.buildsNodes) {
        reasons.Fails(map.name + " has compressed nodes; " + who + " takes only " +
                      (port.extendedNodes ? "classic and extended nodes" : "classic nodes"));
      }
      break;
  }
  if (map.format != MapFormat::kUdmf) {
    const std::pair<const char*, std::uint64_t> counts[] = {
        {"linedefs", map.linedefs},
        {"sidedefs", map.sidedefs},
        {"vertices", map.vertices},
        {"segs", map.nodes == NodeFormat::kClassic ? map.segs : 0},
        {"things", map.things}};
    for (const auto& [what, count] : counts) {
      if (count > port.mapLimit) {
        reasons.Fails(map.name + " has " + Thousands(count) + " " + what + "; " + who +
                      " holds at most " + Thousands(port.mapLimit));
      }
    }
  }
  if (!map.player1Start) reasons.Fails(map.name + " has no player 1 start");
  if (map.boomSpecials && !port.boom) {
    reasons.Differs(map.name + " uses Boom specials; " + who + " ignores them");
  }
  if (map.mbfThings && !port.mbf && port.boom) {
    reasons.Differs(map.name + " uses MBF things; " + who + " does not know them");
  }
  if (map.mbf21 && !port.mbf21) {
    reasons.Differs(map.name + " uses MBF21 specials or flags; " + who + " ignores them");
  }
}

// The maps each once, from the last file that has it, as the ports load them.
std::vector<std::pair<const MapNeeds*, const WadNeeds*>> MapsInPlay(
    const std::vector<const WadNeeds*>& files) {
  std::vector<std::pair<const MapNeeds*, const WadNeeds*>> maps;
  for (const WadNeeds* file : files) {
    if (file == nullptr || !file->Ok()) continue;
    for (const MapNeeds& map : file->maps) {
      const auto same = std::find_if(maps.begin(), maps.end(), [&](const auto& known) {
        return known.first->name == map.name;
      });
      if (same != maps.end()) {
        *same = {&map, file};
      } else {
        maps.emplace_back(&map, file);
      }
    }
  }
  return maps;
}

std::string ShortName(const std::string& path) {
  return FileNameOf(path);
}

}  // namespace

const std::vector<PortProfile>& PortProfiles() {
  return kProfiles;
}

const PortProfile* ProfileByKey(std::string_view key) {
  const auto& profiles = PortProfiles();
  const auto found = std::find_if(profiles.begin(), profiles.end(),
                                  [&](const PortProfile& profile) { return profile.key == key; });
  return found == profiles.end() ? nullptr : &*found;
}

const PortProfile* ProfileForPort(PortFamily family, std::string_view executable) {
  const std::string engine = EngineName(executable);
  for (const NameProfile& known : kEngineProfiles) {
    // A Boom port chosen as another family is judged as that family says.
    if (known.engine == engine && FamilyFromName(engine) == family) {
      return ProfileByKey(known.key);
    }
  }
  const std::string_view key = FamilyProfile(family);
  return key.empty() ? nullptr : ProfileByKey(key);
}

std::string_view VerdictWord(Verdict verdict) {
  switch (verdict) {
    case Verdict::kRuns:
      return "runs";
    case Verdict::kDiffers:
      return "differs";
    case Verdict::kFails:
      return "fails";
  }
  return "runs";
}

PortVerdict Judge(const PortProfile& profile, const std::vector<const wad::WadNeeds*>& files,
                  const wad::WadNeeds* iwad) {
  Reasons reasons;
  const std::string who(profile.name);
  for (const wad::WadNeeds* file : files) {
    if (file != nullptr && !file->Ok()) {
      reasons.Fails(file->path + " is not a readable WAD: " + file->error);
    }
  }
  const auto maps = MapsInPlay(files);
  for (const auto& [map, file] : maps) JudgeMap(profile, *map, reasons);

  // Textures and flats: every name a map in play uses that no file and no IWAD provides.
  if (iwad != nullptr && iwad->Ok()) {
    std::set<std::string> textures(iwad->texturesProvided.begin(), iwad->texturesProvided.end());
    std::set<std::string> flats(iwad->flatsProvided.begin(), iwad->flatsProvided.end());
    for (const WadNeeds* file : files) {
      if (file == nullptr || !file->Ok()) continue;
      for (const std::string& name : file->texturesProvided) {
        const bool fromTx = std::find(file->texturesFromTx.begin(), file->texturesFromTx.end(),
                                      name) != file->texturesFromTx.end();
        if (!fromTx || profile.txTextures) textures.insert(name);
      }
      flats.insert(file->flatsProvided.begin(), file->flatsProvided.end());
      if (profile.txTextures)
        flats.insert(file->texturesFromTx.begin(), file->texturesFromTx.end());
    }
    for (const auto& [map, file] : maps) {
      std::vector<std::string> missing;
      for (const std::string& name : map->textures) {
        if (textures.count(name) == 0) missing.push_back(name);
      }
      std::vector<std::string> missingFlats;
      for (const std::string& name : map->flats) {
        if (flats.count(name) == 0) missingFlats.push_back(name);
      }
      const auto list = [](const std::vector<std::string>& names) {
        std::string text;
        for (std::size_t i = 0; i < names.size() && i < 5; ++i) text += (i ? ", " : "") + names[i];
        if (names.size() > 5) text += " and " + std::to_string(names.size() - 5) + " more";
        return text;
      };
      for (const auto& [names, kind] :
           {std::pair{&missing, "texture"}, std::pair{&missingFlats, "flat"}}) {
        if (names->empty()) continue;
        const std::string what = map->name + " names the " + kind +
                                 (names->size() > 1 ? "s " : " ") + list(*names) +
                                 ", which no file provides";
        if (profile.missingStops) {
          reasons.Fails(what + "; " + who + " stops on it");
        } else {
          reasons.Differs(what + "; " + who + " draws it as missing");
        }
      }
    }
  }

  // Things the game does not know, unless a file defines types of its own.
  const bool definesThings = std::any_of(files.begin(), files.end(), [](const WadNeeds* file) {
    return file != nullptr && file->Ok() && file->newThingTypes;
  });
  if (!definesThings) {
    for (const auto& [map, file] : maps) {
      if (map->unknownThings.empty()) continue;
      std::string types;
      for (std::size_t i = 0; i < map->unknownThings.size() && i < 5; ++i) {
        types += (i ? ", " : "") + std::to_string(map->unknownThings[i]);
      }
      const std::string what = map->name + " has things of unknown type " + types;
      if (profile.unknownThingStops) {
        reasons.Fails(what + "; " + who + " stops on them");
      } else {
        reasons.Differs(what + "; " + who + " leaves them out");
      }
    }
  }

  // The lumps that change what a port does.
  for (const WadNeeds* file : files) {
    if (file == nullptr || !file->Ok()) continue;
    const std::string name = ShortName(file->path);
    if (file->Has("UMAPINFO")) {
      if (profile.umapinfo && !file->umapinfoError.empty()) {
        reasons.Fails(name + ": " + file->umapinfoError + "; " + who + " stops on it");
      }
    }
    // Map information: it differs when the port reads none of the kinds the file brings.
    const bool umap = file->Has("UMAPINFO");
    const bool zmap = file->Has("MAPINFO") || file->Has("ZMAPINFO");
    const bool emap = file->Has("EMAPINFO");
    if ((umap || zmap || emap) && !(umap && profile.umapinfo) && !(zmap && profile.zmapinfo) &&
        !(emap && profile.emapinfo)) {
      std::string kinds = umap   ? "UMAPINFO"
                          : zmap ? (file->Has("ZMAPINFO") ? "ZMAPINFO" : "MAPINFO")
                                 : "EMAPINFO";
      reasons.Differs(name + " has a " + kinds + "; " + who + " does not read it");
    }
    if (file->Has("DEHACKED")) {
      if (!profile.dehackedLump) {
        reasons.Differs(name + " has a DEHACKED lump; " + who + " reads it only with -dehlump");
      } else if (file->Has("DEHACKED (MBF21)") && !profile.mbf21) {
        reasons.Differs(name + "'s DEHACKED uses MBF21 fields; " + who + " ignores them");
      } else if (file->Has("DEHACKED (BEX)") && !profile.bex) {
        reasons.Differs(name + "'s DEHACKED has BEX sections; " + who + " ignores them");
      }
    }
    if ((file->Has("DECORATE") || file->Has("ZSCRIPT")) && !profile.decorate) {
      reasons.Differs(name + " has " + (file->Has("ZSCRIPT") ? "ZSCRIPT" : "DECORATE") + "; " +
                      who + " does not read it");
    }
    if ((file->Has("ANIMATED") || file->Has("SWITCHES")) && !profile.animated) {
      reasons.Differs(name + " has " + (file->Has("ANIMATED") ? "ANIMATED" : "SWITCHES") + "; " +
                      who + " does not read it");
    }
  }
  return reasons.Verdict();
}

int AutomaticComplevel(const std::vector<const wad::WadNeeds*>& files, const wad::WadNeeds* iwad,
                       std::string* why) {
  const bool ultimate = iwad != nullptr && iwad->Ok() &&
                        std::any_of(iwad->maps.begin(), iwad->maps.end(),
                                    [](const MapNeeds& map) { return map.name == "E4M1"; });
  const int vanilla = ultimate ? 3 : 2;
  const auto say = [&](const std::string& text) {
    if (why != nullptr) *why = text;
  };
  for (auto file = files.rbegin(); file != files.rend(); ++file) {
    if (*file == nullptr || !(*file)->Ok() || !(*file)->complevel) continue;
    const int level = *(*file)->complevel == 2 ? vanilla : *(*file)->complevel;
    say(ShortName((*file)->path) + "'s COMPLVL asks for " + std::to_string(level));
    return level;
  }
  // The highest feature found decides, with the first file and map that has it.
  int level = vanilla;
  std::string reason = ultimate ? "no feature beyond vanilla Doom was found (Ultimate Doom IWAD)"
                                : "no feature beyond vanilla Doom was found";
  const auto raise = [&](int to, const std::string& because) {
    if (to <= level) return;
    level = to;
    reason = because;
  };
  for (const WadNeeds* file : files) {
    if (file == nullptr || !file->Ok()) continue;
    const std::string name = ShortName(file->path);
    for (const MapNeeds& map : file->maps) {
      if (map.mbf21) raise(21, map.name + " of " + name + " uses MBF21 specials or flags");
      if (map.mbfThings) raise(11, map.name + " of " + name + " uses MBF things");
      if (map.boomSpecials) raise(9, map.name + " of " + name + " uses Boom specials");
    }
    if (file->Has("DEHACKED (MBF21)")) raise(21, name + "'s DEHACKED uses MBF21 fields");
    if (file->Has("DEHACKED (BEX)")) raise(9, name + "'s DEHACKED has BEX sections");
    if (file->Has("ANIMATED") || file->Has("SWITCHES"))
      raise(9, name + " has Boom's ANIMATED or SWITCHES");
  }
  say(std::to_string(level) + ": " + reason);
  return level;
}

}  // namespace quillon
