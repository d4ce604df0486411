#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/launch/PortFamily.h"
#include "core/wad/WadAnalysis.h"

namespace quillon {

// What a port will do with a set of WADs.
enum class Verdict : std::uint8_t {
  kRuns,     // starts and plays as made
  kDiffers,  // starts, but something in the files is not understood and is ignored
  kFails,    // stops before the map is playable
};

struct PortVerdict {
  Verdict verdict = Verdict::kRuns;
  std::vector<std::string> why;  // plain words, the most serious first
};

// What one port release supports; the table and its sources are in PortProfiles.cpp.
struct PortProfile {
  std::string_view key;   // "chocolate-doom", "crispy-doom", "prboom-plus", "dsda-doom",
                          // "woof", "gzdoom", "eternity", "odamex"
  std::string_view name;  // "dsda-doom 0.25"
  // Map formats: Doom's is taken by all; Hexen's ("Doom in Hexen") by some; UDMF in these
  // namespaces (lower case), none where empty.
  bool hexenFormat = false;
  // Loads a Hexen format map's lines and things, but its specials and scripts do nothing.
  bool hexenGeometryOnly = false;
  std::span<const std::string_view> udmfNamespaces = {};
  // Node formats beyond the classic ones; whether it builds nodes itself where none are.
  bool glNodes = false;
  bool extendedNodes = false;
  bool compressedNodes = false;
  bool buildsNodes = false;
  // The most linedefs, sidedefs, vertices, segs or things a map of classic nodes may have.
  std::uint64_t mapLimit = 32767;
  bool boom = false;
  bool mbf = false;
  bool mbf21 = false;
  // The lumps it reads without being asked (a DEHACKED lump, its BEX sections).
  bool dehackedLump = false;
  bool bex = false;
  bool umapinfo = false;
  bool zmapinfo = false;  // MAPINFO and ZMAPINFO
  bool emapinfo = false;
  bool decorate = false;  // DECORATE and ZSCRIPT
  bool animated = false;  // ANIMATED and SWITCHES
  bool complvl = false;
  bool txTextures = false;   // TX_START..TX_END
  bool missingStops = true;  // a texture or flat not found stops it
  bool unknownThingStops = true;
  std::string_view source = {};  // where the row's facts come from
  std::string_view note = {};    // what later releases changed
};

// Every profile, in a fixed order.
const std::vector<PortProfile>& PortProfiles();
// The profile for a key ("dsda-doom"), or nullptr.
const PortProfile* ProfileByKey(std::string_view key);
// The profile a port in the user's list gets from its family and executable name, or
// nullptr where none fits (an unknown port is not judged).
const PortProfile* ProfileForPort(PortFamily family, std::string_view executable);

// The verdict for the files (in load order) over the IWAD (null where there is none or it
// could not be read).
PortVerdict Judge(const PortProfile& profile, const std::vector<const wad::WadNeeds*>& files,
                  const wad::WadNeeds* iwad);

// The words of a verdict as quillon-check and the tips show them: "runs", "differs", "fails".
std::string_view VerdictWord(Verdict verdict);

// The complevel "Compatibility: Automatic" picks: the files' COMPLVL when there is one, else
// the lowest level that has every feature found; `why` says which and why.
int AutomaticComplevel(const std::vector<const wad::WadNeeds*>& files, const wad::WadNeeds* iwad,
                       std::string* why = nullptr);

}  // namespace quillon
