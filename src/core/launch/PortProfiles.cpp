#include "core/launch/PortProfiles.h"

#include <algorithm>

namespace quillon {

const std::vector<PortProfile>& PortProfiles() {
  static const std::vector<PortProfile> profiles = {
      {"chocolate-doom", "Chocolate Doom 3.0.1"},
      {"crispy-doom", "Crispy Doom 5.12"},
      {"prboom-plus", "PrBoom+ 2.6"},
      {"dsda-doom", "dsda-doom 0.25.6"},
      {"woof", "Woof! 10.5.1"},
      {"gzdoom", "GZDoom"},
      {"eternity", "Eternity"},
      {"odamex", "Odamex"},
  };
  return profiles;
}

const PortProfile* ProfileByKey(std::string_view key) {
  const auto& profiles = PortProfiles();
  const auto found = std::find_if(profiles.begin(), profiles.end(),
                                  [&](const PortProfile& profile) { return profile.key == key; });
  return found == profiles.end() ? nullptr : &*found;
}

const PortProfile* ProfileForPort(PortFamily, std::string_view) {
  return nullptr;
}

PortVerdict Judge(const PortProfile&, const std::vector<const wad::WadNeeds*>& files,
                  const wad::WadNeeds*) {
  PortVerdict verdict;
  for (const wad::WadNeeds* file : files) {
    if (file != nullptr && !file->Ok()) {
      verdict.verdict = Verdict::kFails;
      verdict.why.push_back(file->path + " is not a readable WAD: " + file->error);
    }
  }
  return verdict;
}

int AutomaticComplevel(const std::vector<const wad::WadNeeds*>&, const wad::WadNeeds*,
                       std::string* why) {
  if (why != nullptr) *why = "no feature beyond vanilla Doom was found";
  return 2;
}

}  // namespace quillon
