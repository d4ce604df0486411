#include <gtest/gtest.h>

#include "core/wad/WadDescription.h"

namespace quillon::wad {
namespace {

std::vector<MapInfo> Maps(std::initializer_list<const char*> names) {
  std::vector<MapInfo> maps;
  for (const char* name : names) maps.push_back({name, MapFormat::kDoom});
  return maps;
}

std::vector<MapInfo> Doom2Maps(int first, int last, int step = 1) {
  std::vector<MapInfo> maps;
  for (int n = first; n <= last; n += step) {
    maps.push_back({(n < 10 ? "MAP0" : "MAP") + std::to_string(n), MapFormat::kDoom});
  }
  return maps;
}

std::vector<MapInfo> Concat(std::vector<MapInfo> a, const std::vector<MapInfo>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

WadReadResult Wad(WadKind kind, std::vector<MapInfo> maps) {
  WadReadResult result;
  result.status = WadStatus::kOk;
  result.directory.kind = kind;
  result.directory.maps = std::move(maps);
  return result;
}

WadReadResult Failed(WadStatus status) {
  WadReadResult result;
  result.status = status;
  return result;
}

struct DescriptionRow {
  const char* name;
  const char* path;
  WadReadResult read;
  const char* text;
  bool broken;
  friend void PrintTo(const DescriptionRow& row, std::ostream* os) { *os << row.name; }
};

const DescriptionRow kDescriptionRows[] = {
    {"PwadWithMaps", "/maps/a.wad", Wad(WadKind::kPwad, Maps({"MAP01", "MAP02", "MAP07"})),
     "PWAD, 3 maps: MAP01, MAP02, MAP07", false},
    {"PwadOneMap", "/maps/a.wad", Wad(WadKind::kPwad, Maps({"E1M1"})), "PWAD, 1 map: E1M1", false},
    {"PwadNoMaps", "/maps/sounds.wad", Wad(WadKind::kPwad, {}), "PWAD, no maps", false},
    {"IwadAllMaps", "/doom/freedoom2.wad", Wad(WadKind::kIwad, Doom2Maps(1, 32)),
     "IWAD, 32 maps: MAP01\u2013MAP32", false},
    {"IwadEpisodes", "/doom/freedoom1.wad",
     Wad(WadKind::kIwad, Maps({"E1M1", "E1M2", "E1M3", "E1M4", "E2M1", "E2M2", "E2M3"})),
     "IWAD, 7 maps: E1M1\u2013E1M4, E2M1\u2013E2M3", false},
    {"PatchDeh", "/maps/fix.deh", Failed(WadStatus::kNotAWad), "Dehacked patch", false},
    {"PatchBexUpperCase", "/maps/FIX.BEX", Failed(WadStatus::kNotAWad), "Dehacked patch", false},
    {"PatchMissing", "/maps/fix.deh", Failed(WadStatus::kFileNotFound), "file not found", true},
    {"NotAWad", "/maps/readme.wad", Failed(WadStatus::kNotAWad), "not a WAD file", true},
    {"CutShortWad", "/maps/a.wad", Failed(WadStatus::kCutShort), "not a WAD file", true},
    {"BadDirectory", "/maps/a.wad", Failed(WadStatus::kBadDirectory), "not a WAD file", true},
    {"BadLump", "/maps/a.wad", Failed(WadStatus::kBadLump), "not a WAD file", true},
    {"Missing", "/maps/gone.wad", Failed(WadStatus::kFileNotFound), "file not found", true},
    {"Unreadable", "/maps/locked.wad", Failed(WadStatus::kUnreadable), "file cannot be read", true},
};

class FileTooltip : public ::testing::TestWithParam<DescriptionRow> {};

TEST_P(FileTooltip, SaysWhatTheFileHolds) {
  const DescriptionRow& row = GetParam();
  const FileDescription description = DescribeFile(row.path, row.read);
  EXPECT_EQ(description.text, row.text);
  EXPECT_EQ(description.broken, row.broken);
}

INSTANTIATE_TEST_SUITE_P(Table, FileTooltip, ::testing::ValuesIn(kDescriptionRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MapListText, ShortensLongListsToRunsAndACount) {
  // Two in a row stay two names; three or more become a run.
  EXPECT_EQ(MapListText(Maps({"MAP01", "MAP02", "MAP04", "MAP05", "MAP06"})),
            "MAP01, MAP02, MAP04\u2013MAP06");
  // A run never spans two episodes, nor an episode and the MAPxx names.
  EXPECT_EQ(MapListText(Maps({"E1M8", "E1M9", "E2M1", "MAP01"})), "E1M8, E1M9, E2M1, MAP01");
  // Twenty scattered maps: eight shown, the other twelve counted.
  EXPECT_EQ(MapListText(Doom2Maps(1, 39, 2)),
            "MAP01, MAP03, MAP05, MAP07, MAP09, MAP11, MAP13, MAP15, and 12 more");
  // The count is of maps, not of runs.
  EXPECT_EQ(MapListText(Concat(Doom2Maps(1, 5), Doom2Maps(11, 15)), 1),
            "MAP01\u2013MAP05, and 5 more");
  EXPECT_EQ(MapListText({}), "");
}

}  // namespace
}  // namespace quillon::wad
