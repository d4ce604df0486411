#include <gtest/gtest.h>

#include "core/launch/StartCheck.h"

namespace quillon {
namespace {

TEST(WarpMapName, ReadsTheTextAsTheLoadedMapsAreNamed) {
  struct Row {
    const char* typed;
    bool episodes;
    std::optional<std::string> map;
  };
  const Row rows[] = {
      {"map40", false, "MAP40"},  {" 7 ", false, "MAP07"},    {"2 3", true, "E2M3"},
      {"e1m1", false, "E1M1"},    {"7", true, std::nullopt},  {"1 0", true, std::nullopt},
      {"0", false, std::nullopt}, {"x", false, std::nullopt}, {"", false, std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(WarpMapName(row.typed, row.episodes), row.map) << row.typed;
}

TEST(StartProblems, NamesEachInPlainWordsAndNothingWhenAllIsWell) {
  StartFacts facts;
  facts.files = {{"/m/ok.wad", {"PWAD, 1 map: MAP01", false}},
                 {"/m/gone.wad", {"file not found", true}},
                 {"/m/notes.wad", {"not a WAD file", true}},
                 {"/m/fix.deh", {"Dehacked patch", false}}};
  facts.iwadEntry = "doom2.wad";
  facts.iwadFound = false;
  EXPECT_EQ(StartProblems(facts),
            (std::vector<std::string>{
                "/m/gone.wad is not there any more.", "/m/notes.wad is not a WAD file.",
                "The IWAD doom2.wad is neither in the port's folder nor in any folder the ports "
                "search."}));

  StartFacts well;
  well.iwadEntry = "doom2.wad";
  well.maps = std::vector<std::string>{"MAP01", "MAP02"};
  well.warpMap = "MAP02";
  EXPECT_TRUE(StartProblems(well).empty());
  well.warpMap = "MAP40";
  EXPECT_EQ(StartProblems(well),
            std::vector<std::string>{"No loaded file holds the map MAP40 that warp goes to."});
  // Without the IWAD's maps nothing can be called missing.
  well.maps.reset();
  EXPECT_TRUE(StartProblems(well).empty());
}

}  // namespace
}  // namespace quillon
