#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/launch/PortFamily.h"
#include "core/launch/SaveFolders.h"
#include "core/launch/TestLaunch.h"
#include "support/ParamNames.h"

namespace quillon {
namespace {

using Args = std::vector<std::string>;

// What a user chooses for one start, beyond the IWAD and the files every case shares.
struct Choices {
  std::string port = {};
  std::string warp = {};  // empty: warp off
  std::string skill = "0";
  std::string complevel = {};
  bool saves = false;
  std::string portParams = {};
  bool graphics = false;  // the PWAD brings its own sprites
  bool windowed = false;  // "Windowed", 320x240 when side by side
  bool sideBySide = false;
};

struct DialectCase {
  const char* what;
  Choices choices;
  Args expected;
  friend void PrintTo(const DialectCase& c, std::ostream* os) { *os << test::PhraseName(c.what); }
};

LaunchRequest Build(const Choices& c, std::vector<std::string> mapNames = {}) {
  using enum LaunchOptionId;
  LaunchOptionValues values;
  values.Set(Port, c.port);
  values.Set(UseFiles, true);
  values.Set(Warp, !c.warp.empty());
  values.Set(WarpTo, c.warp);
  values.Set(Params, "-nogui");
  values.Set(Skill, c.skill);
  values.Set(Complevel, c.complevel);
  values.Set(SaveFolders, c.saves);
  values.Set(Windowed, c.windowed);
  TestContext context;
  context.dialect = DialectOf(EffectiveFamily("", c.port), c.port);
  context.portParams = c.portParams;
  context.saveFolder = c.saves ? "/saves/map/port/" : "";
  context.mapNames = std::move(mapNames);
  context.bringsGraphics = {c.graphics};
  if (c.sideBySide) {
    context.windowWidth = 320;
    context.windowHeight = 240;
  }
  return BuildTestLaunch(values, {{"map.wad", "/m/"}}, context);
}

class Dialects : public ::testing::TestWithParam<DialectCase> {};

TEST_P(Dialects, GiveEachPortItsOwnLine) {
  EXPECT_EQ(Build(GetParam().choices, {"MYMAP"}).Arguments, GetParam().expected);
}

const Args kFile = {"-file", "/m/map.wad"};
Args With(Args head, const Args& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

INSTANTIATE_TEST_SUITE_P(
    Families, Dialects,
    ::testing::Values(
        DialectCase{"zdoom takes the map by name",
                    {.port = "/g/gzdoom", .warp = "map07", .skill = "4", .complevel = "9"},
                    With(kFile, {"+map", "MAP07", "-nogui", "-skill", "4"})},
        DialectCase{"zdoom takes a name the files hold",
                    {.port = "/g/lzdoom-3.87", .warp = "mymap"},
                    With(kFile, {"+map", "MYMAP", "-nogui"})},
        DialectCase{"zdoom keeps a number as warp",
                    {.port = "/g/gzdoom", .warp = "7"},
                    With(kFile, {"-warp", "7", "-nogui"})},
        DialectCase{"chocolate gets warp and skill, no complevel",
                    {.port = "/g/chocolate-doom", .warp = "MAP07", .skill = "4", .complevel = "9"},
                    With(kFile, {"-warp", "7", "-nogui", "-skill", "4"})},
        DialectCase{
            "an unknown port gets warp and skill only",
            {.port = "/g/mydoom", .warp = "MAP07", .skill = "4", .complevel = "9", .saves = true},
            With(kFile, {"-warp", "7", "-nogui", "-skill", "4"})},
        DialectCase{"boom gets the complevel number",
                    {.port = "/g/dsda-doom", .warp = "MAP07", .skill = "4", .complevel = "9"},
                    With(kFile, {"-warp", "7", "-nogui", "-skill", "4", "-complevel", "9"})},
        DialectCase{"woof gets the complevel word",
                    {.port = "/g/woof", .complevel = "21"},
                    With(kFile, {"-nogui", "-complevel", "mbf21"})},
        DialectCase{"an unknown skill and complevel are not set",
                    {.port = "/g/dsda-doom", .skill = "9", .complevel = "x"},
                    With(kFile, {"-nogui"})},
        DialectCase{"boom saves with -save, chocolate with -savedir",
                    {.port = "/g/prboom-plus", .saves = true},
                    With(kFile, {"-nogui", "-save", "/saves/map/port/"})},
        DialectCase{"crispy saves with -savedir",
                    {.port = "/g/crispy-doom", .saves = true},
                    With(kFile, {"-nogui", "-savedir", "/saves/map/port/"})},
        DialectCase{"eternity takes no save folder",
                    {.port = "/g/eternity", .saves = true},
                    With(kFile, {"-nogui"})},
        DialectCase{"the port's own parameters come last, split as typed",
                    {.port = "/g/gzdoom", .skill = "2", .portParams = "+vid_fps 1 \"-a b\""},
                    With(kFile, {"-nogui", "-skill", "2", "+vid_fps", "1", "-a b"})},
        DialectCase{"chocolate doom merges a PWAD with sprites",
                    {.port = "/g/chocolate-doom", .graphics = true},
                    {"-merge", "/m/map.wad", "-nogui"}},
        DialectCase{"chocolate sizes its window by geometry",
                    {.port = "/g/crispy-doom", .windowed = true, .sideBySide = true},
                    With(kFile, {"-nogui", "-window", "-geometry", "320x240"})},
        DialectCase{"boom sizes its window by width and height",
                    {.port = "/g/dsda-doom", .windowed = true, .sideBySide = true},
                    With(kFile, {"-nogui", "-window", "-width", "320", "-height", "240"})},
        DialectCase{"zdoom leaves full screen by its variable",
                    {.port = "/g/gzdoom", .windowed = true},
                    With(kFile, {"-nogui", "+fullscreen", "0"})},
        DialectCase{"woof takes a window but no size",
                    {.port = "/g/woof", .windowed = true, .sideBySide = true},
                    With(kFile, {"-nogui", "-window"})},
        DialectCase{"odamex is not told of windows",
                    {.port = "/g/odamex", .windowed = true, .sideBySide = true},
                    With(kFile, {"-nogui"})},
        DialectCase{"chocolate doom as a flatpak merges too",
                    {.port = "/fp/org.chocolate_doom.ChocolateDoom", .graphics = true},
                    {"-merge", "/m/map.wad", "-nogui"}},
        DialectCase{"crispy doom sees sprites with -file",
                    {.port = "/g/crispy-doom", .graphics = true},
                    With(kFile, {"-nogui"})}),
    [](const auto& info) { return test::PhraseName(info.param.what); });

TEST(Dialects, NothingNewChosenGivesEveryFamilyTheLineOfToday) {
  const Choices plain{.port = "/g/mydoom", .warp = "7", .graphics = false};
  const std::string today = Build(plain).Parameters;
  for (const char* port :
       {"/g/gzdoom", "/g/chocolate-doom", "/g/dsda-doom", "/g/woof", "/g/eternity", "/g/odamex"}) {
    Choices choices = plain;
    choices.port = port;
    EXPECT_EQ(Build(choices).Parameters, today) << port;
  }
  EXPECT_EQ(today, " -file \"/m/map.wad\"  -warp 7 -nogui");
}

TEST(Dialects, TheTextShowsWhatTheArgumentsHold) {
  EXPECT_EQ(Build({.port = "/g/gzdoom",
                   .warp = "E2M3",
                   .skill = "4",
                   .saves = true,
                   .portParams = "+vid_fps 1"})
                .Parameters,
            " -file \"/m/map.wad\"  +map E2M3 -nogui -skill 4 -savedir \"/saves/map/port/\" "
            "+vid_fps 1");
}

struct NameCase {
  const char* path;
  std::optional<PortFamily> family;
};

TEST(FamilyFromName, KnowsTheEnginesByTheirNames) {
  using enum PortFamily;
  const NameCase cases[] = {
      {"/usr/games/chocolate-heretic", Chocolate},
      {"C:\\Games\\GZDoom-4.11.exe", ZDoom},
      {"/opt/dsda-doom-0.25.6", Boom},
      {"WOOF.EXE", Boom},
      {"/var/lib/flatpak/exports/bin/org.zdoom.GZDoom", ZDoom},
      {"/usr/games/zandronum_3", ZDoom},
      {"/usr/games/crispy-", std::nullopt},
      {"/usr/games/doom", std::nullopt},
      {"/usr/games/gzdoom-beta", std::nullopt},
  };
  for (const NameCase& c : cases) EXPECT_EQ(FamilyFromName(c.path), c.family) << c.path;
}

TEST(FamilyFromName, AChosenFamilyWinsAndAnUnknownOneIsNotSet) {
  EXPECT_EQ(EffectiveFamily("boom", "/g/gzdoom"), PortFamily::Boom);
  EXPECT_EQ(EffectiveFamily("banana", "/g/gzdoom"), PortFamily::ZDoom);
  EXPECT_EQ(EffectiveFamily("", "/g/mydoom"), PortFamily::Other);
  for (const FamilyRow& row : Families()) EXPECT_EQ(FamilyFromKey(row.key), row.family);
}

TEST(AddedOptions, AreWrittenOnlyWhenTheirMeaningChanges) {
  const LaunchOption& skill = OptionOf(LaunchOptionId::Skill);
  const LaunchOption& saves = OptionOf(LaunchOptionId::SaveFolders);
  EXPECT_FALSE(NeedsWrite(skill, "", "0"));   // a file without the key stays without it
  EXPECT_FALSE(NeedsWrite(skill, "9", "0"));  // an unknown value stays as written
  EXPECT_TRUE(NeedsWrite(skill, "", "4"));
  EXPECT_TRUE(NeedsWrite(skill, "4", "0"));
  EXPECT_FALSE(NeedsWrite(saves, "", "0"));
  EXPECT_TRUE(NeedsWrite(saves, "1", "0"));
  EXPECT_TRUE(NeedsWrite(OptionOf(LaunchOptionId::Warp), "0", "0"));
}

TEST(SaveFolderFor, KeepsEachNameInsideItsFolder) {
  EXPECT_EQ(SaveFolderFor("/d/saves", "tinyroom.wad", "Chocolate Doom"),
            "/d/saves/tinyroom/Chocolate Doom/");
  EXPECT_EQ(SaveFolderFor("/d/saves", "", "a/../b"), "/d/saves/no-pwad/a_.._b/");
  EXPECT_EQ(SaveFolderFor("/d/saves", ".wad", ".."), "/d/saves/_.wad/_../");
  EXPECT_EQ(SafeFolderName(std::string("x\ny", 3)), "x_y");
}

}  // namespace
}  // namespace quillon
