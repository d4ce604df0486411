#include <gtest/gtest.h>

#include "core/wad/MapNames.h"

namespace quillon::wad {
namespace {

struct WarpRow {
  const char* name;
  const char* typed;
  const char* argument;
  friend void PrintTo(const WarpRow& row, std::ostream* os) { *os << row.name; }
};

const WarpRow kWarpRows[] = {
    {"Doom2Name", "MAP07", "7"},
    {"Doom2LowerCase", "map07", "7"},
    {"Doom2TwoDigits", "MAP32", "32"},
    {"Doom1Name", "E2M3", "2 3"},
    {"Doom1LowerCase", "e2m3", "2 3"},
    {"BlanksAroundName", " MAP07\t", "7"},
    {"NumberStays", "7", "7"},
    {"EpisodeAndMapStay", "2 3", "2 3"},
    {"EmptyStays", "", ""},
    {"OneDigitMapName", "MAP7", "MAP7"},
    {"ThreeDigitMapName", "MAP100", "MAP100"},
    {"MapZero", "MAP00", "MAP00"},
    {"EpisodeZero", "E0M1", "E0M1"},
    {"TwoDigitEpisodeMap", "E1M10", "E1M10"},
    {"NameWithMore", "MAP07 -fast", "MAP07 -fast"},
    {"Word", "start", "start"},
    {"BlanksKeptWhenNotAName", " 7 ", " 7 "},
};

class WarpText : public ::testing::TestWithParam<WarpRow> {};

TEST_P(WarpText, BecomesWhatThePortsExpect) {
  EXPECT_EQ(WarpArgument(GetParam().typed), GetParam().argument);
}

INSTANTIATE_TEST_SUITE_P(Table, WarpText, ::testing::ValuesIn(kWarpRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MapNames, PlayOrderPutsEpisodesFirstAndNumbersByValue) {
  EXPECT_TRUE(MapOrderLess("E1M9", "E2M1"));
  EXPECT_TRUE(MapOrderLess("E4M9", "MAP01"));
  EXPECT_TRUE(MapOrderLess("MAP09", "MAP10"));
  EXPECT_TRUE(MapOrderLess("MAP32", "TITLEMAP"));
  EXPECT_FALSE(MapOrderLess("MAP10", "MAP09"));
  EXPECT_FALSE(MapOrderLess("MAP01", "map01") && MapOrderLess("map01", "MAP01"));
}

}  // namespace
}  // namespace quillon::wad
