#include <gtest/gtest.h>

#include <functional>

#include "core/launch/PortProfiles.h"

namespace quillon {
namespace {

using wad::MapFormat;
using wad::MapNeeds;
using wad::NodeFormat;
using wad::WadNeeds;

WadNeeds OneMap(const std::function<void(MapNeeds&, WadNeeds&)>& change) {
  WadNeeds file;
  file.path = "/maps/test.wad";
  file.status = wad::WadStatus::kOk;
  MapNeeds map;
  map.name = "MAP01";
  map.nodes = NodeFormat::kClassic;
  map.player1Start = true;
  map.textures = {"STARTAN3"};
  change(map, file);
  file.maps.push_back(map);
  return file;
}

TEST(PortProfiles, JudgesEachPortByWhatItTakes) {
  WadNeeds iwad;
  iwad.status = wad::WadStatus::kOk;
  iwad.kind = wad::WadKind::kIwad;
  iwad.texturesProvided = {"STARTAN3"};
  struct Case {
    const char* port;
    WadNeeds file;
    Verdict verdict;
    const char* firstReason;
  };
  const Case cases[] = {
      {"chocolate-doom", OneMap([](auto&, auto&) {}), Verdict::kRuns, ""},
      {"dsda-doom", OneMap([](auto& m, auto&) {
         m.format = MapFormat::kUdmf;
         m.udmfNamespace = "zdoom";
       }),
       Verdict::kFails, "MAP01 is in UDMF format, namespace zdoom; dsda-doom 0.25 takes no UDMF"},
      {"gzdoom", OneMap([](auto& m, auto&) {
         m.format = MapFormat::kUdmf;
         m.udmfNamespace = "zdoom";
         m.nodes = NodeFormat::kNone;
       }),
       Verdict::kRuns, ""},
      {"chocolate-doom", OneMap([](auto& m, auto&) { m.nodes = NodeFormat::kExtended; }),
       Verdict::kFails, "MAP01 has extended nodes; Chocolate Doom 3.0 takes only classic nodes"},
      // Crispy Doom loads a Hexen format map's geometry and plays it without its specials;
      // Chocolate Doom reads its THINGS as Doom's and finds no player 1 start.
      {"crispy-doom", OneMap([](auto& m, auto&) { m.format = MapFormat::kHexen; }),
       Verdict::kDiffers,
       "MAP01 is in Hexen format; Crispy Doom 5.12 loads its lines and things, but its specials "
       "and scripts do nothing"},
      {"chocolate-doom", OneMap([](auto& m, auto&) { m.format = MapFormat::kHexen; }),
       Verdict::kFails, "MAP01 is in Hexen format; Chocolate Doom 3.0 takes only Doom format maps"},
      {"crispy-doom", OneMap([](auto&, auto& f) { f.features = {"ANIMATED"}; }), Verdict::kRuns,
       ""},
      {"chocolate-doom", OneMap([](auto& m, auto&) { m.boomSpecials = true; }), Verdict::kDiffers,
       "MAP01 uses Boom specials; Chocolate Doom 3.0 ignores them"},
      {"chocolate-doom", OneMap([](auto& m, auto&) { m.textures = {"WALL42"}; }), Verdict::kFails,
       "MAP01 names the texture WALL42, which no file provides; Chocolate Doom 3.0 stops on it"},
      {"woof", OneMap([](auto& m, auto&) { m.textures = {"WALL42"}; }), Verdict::kDiffers,
       "MAP01 names the texture WALL42, which no file provides; Woof! 10.5 draws it as missing"},
      {"chocolate-doom", OneMap([](auto& m, auto&) { m.sidedefs = 40000; }), Verdict::kFails,
       "MAP01 has 40 000 sidedefs; Chocolate Doom 3.0 holds at most 32 767"},
      {"woof", OneMap([](auto& m, auto&) { m.player1Start = false; }), Verdict::kFails,
       "MAP01 has no player 1 start"},
      {"woof", OneMap([](auto&, auto& f) {
         f.features = {"UMAPINFO"};
         f.umapinfoError = "UMAPINFO line 3: the block of MAP01 is never closed";
       }),
       Verdict::kFails,
       "test.wad: UMAPINFO line 3: the block of MAP01 is never closed; Woof! 10.5 stops on it"},
      {"crispy-doom", OneMap([](auto&, auto& f) { f.features = {"UMAPINFO"}; }), Verdict::kDiffers,
       "test.wad has a UMAPINFO; Crispy Doom 5.12 does not read it"},
      {"prboom-plus", OneMap([](auto& m, auto&) { m.mbf21 = true; }), Verdict::kDiffers,
       "MAP01 uses MBF21 specials or flags; PrBoom+ 2.6 ignores them"},
      {"odamex", OneMap([](auto&, auto& f) {
         f.status = wad::WadStatus::kNotAWad;
         f.error = "it does not start with IWAD or PWAD";
       }),
       Verdict::kFails,
       "/maps/test.wad is not a readable WAD: it does not start with IWAD or PWAD"},
  };
  for (const Case& c : cases) {
    const PortProfile* profile = ProfileByKey(c.port);
    ASSERT_NE(profile, nullptr) << c.port;
    const PortVerdict verdict = Judge(*profile, {&c.file}, &iwad);
    SCOPED_TRACE(std::string(c.port) + ": " + c.firstReason);
    EXPECT_EQ(VerdictWord(verdict.verdict), VerdictWord(c.verdict));
    EXPECT_EQ(verdict.why.empty() ? "" : verdict.why[0], c.firstReason);
  }
}

TEST(PortProfiles, EveryProfileCitesItsSource) {
  for (const PortProfile& profile : PortProfiles()) {
    EXPECT_FALSE(profile.source.empty()) << profile.key;
    EXPECT_EQ(ProfileByKey(profile.key), &profile);
  }
  EXPECT_EQ(ProfileForPort(PortFamily::Boom, "/usr/games/dsda-doom")->key, "dsda-doom");
  EXPECT_EQ(ProfileForPort(PortFamily::Boom, "C:/Games/glboom-plus.exe")->key, "prboom-plus");
  EXPECT_EQ(ProfileForPort(PortFamily::ZDoom, "lzdoom")->key, "gzdoom");
  EXPECT_EQ(ProfileForPort(PortFamily::Other, "mystery"), nullptr);
}

TEST(PortProfiles, AutomaticComplevelFollowsTheFiles) {
  WadNeeds ultimate;
  ultimate.status = wad::WadStatus::kOk;
  ultimate.maps.emplace_back().name = "E4M1";
  struct Case {
    WadNeeds file;
    const WadNeeds* iwad;
    int level;
  };
  const Case cases[] = {
      {OneMap([](auto&, auto&) {}), nullptr, 2},
      {OneMap([](auto&, auto&) {}), &ultimate, 3},
      {OneMap([](auto& m, auto&) { m.boomSpecials = true; }), nullptr, 9},
      {OneMap([](auto& m, auto&) {
         m.mbfThings = true;
         m.boomSpecials = true;
       }),
       nullptr, 11},
      {OneMap([](auto&, auto& f) {
         f.features = {"DEHACKED", "DEHACKED (MBF21)"};
       }),
       nullptr, 21},
      {OneMap([](auto& m, auto& f) {
         m.mbf21 = true;
         f.complevel = 9;
       }),
       nullptr, 9},
      {OneMap([](auto&, auto& f) { f.complevel = 2; }), &ultimate, 3},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_EQ(AutomaticComplevel({&c.file}, c.iwad, &why), c.level) << why;
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
}  // namespace quillon
