#pragma once

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

// The complevel "Compatibility: Automatic" picks: the files' COMPLVL when there is one, else
// the lowest level that has every feature found; `why` says which and why.
int AutomaticComplevel(const std::vector<const wad::WadNeeds*>& files, const wad::WadNeeds* iwad,
                       std::string* why = nullptr);

}  // namespace quillon
