#include <gtest/gtest.h>

#include "core/launch/NodeBuilder.h"
#include "core/launch/SaveSettle.h"

namespace quillon {
namespace {

TEST(NodeBuilderArguments, FollowEachBuildersOwnDocumentation) {
  struct Row {
    const char* builder;
    std::vector<std::string> arguments;
  };
  const Row rows[] = {
      {"/usr/bin/zdbsp", {"-o", "OUT", "IN"}},
      {"C:\\Tools\\ZDBSP.EXE", {"-o", "OUT", "IN"}},
      {"/opt/zdbsp-1.19/zdbsp", {"-o", "OUT", "IN"}},
      {"/usr/bin/glbsp", {"IN", "-o", "OUT"}},
      {"/opt/ZenNode.exe", {"IN", "-o", "OUT"}},
      {"/usr/games/bsp", {"IN", "-o", "OUT"}},
      {"/opt/ajbsp", {"IN", "-o", "OUT"}},
      {"zdbspx", {"IN", "-o", "OUT"}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(NodeBuilderArguments(row.builder, "IN", "OUT"), row.arguments) << row.builder;
  }
}

// Each event is a file's change at a time; looks happen at the times listed, against the
// file's state then.
struct SettleCase {
  const char* name;
  std::vector<std::pair<std::int64_t, std::string>> events;
  std::vector<std::pair<std::int64_t, SavedFileState>> looks;  // the state of every file
  std::vector<SaveVerdict::Kind> verdicts;                     // what each look said
};

constexpr std::int64_t kStill = 100;
const SavedFileState kWhole{true, true, {}};
const SavedFileState kGone{false, false, {}};
const SavedFileState kHalf{true, false, "its directory lies beyond its end"};
using enum SaveVerdict::Kind;

class SaveSettleTest : public ::testing::TestWithParam<SettleCase> {};

TEST_P(SaveSettleTest, RestartsOncePerSaveAndTellsAFileThatCannotBeRead) {
  const SettleCase& row = GetParam();
  SaveSettle settle(kStill);
  std::size_t next = 0;
  std::vector<SaveVerdict::Kind> said;
  for (const auto& [at, state] : row.looks) {
    while (next < row.events.size() && row.events[next].first <= at) {
      settle.Changed(row.events[next].second, row.events[next].first);
      ++next;
    }
    said.push_back(settle.Look(at, [&](const std::string&) { return state; }).kind);
  }
  EXPECT_EQ(said, row.verdicts);
  EXPECT_FALSE(settle.DueAt().has_value()) << "something still waits";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveSettleTest,
    ::testing::Values(
        SettleCase{"OneWrite", {{0, "a"}}, {{50, kWhole}, {100, kWhole}}, {Wait, Restart}},
        SettleCase{"SavedTwiceWithinTheWait",
                   {{0, "a"}, {60, "a"}},
                   {{100, kWhole}, {160, kWhole}},
                   {Wait, Restart}},
        SettleCase{"TwentySavesInARow",
                   [] {
                     std::vector<std::pair<std::int64_t, std::string>> saves;
                     for (int i = 0; i < 20; ++i) saves.emplace_back(i * 30, "a");
                     return saves;
                   }(),
                   {{300, kWhole}, {670, kWhole}},
                   {Wait, Restart}},
        SettleCase{"TwoFilesOfOneSave",
                   {{0, "a.wad"}, {40, "b.deh"}},
                   {{100, kWhole}, {140, kWhole}},
                   {Wait, Restart}},
        SettleCase{"Deleted", {{0, "a"}}, {{100, kGone}}, {CannotRead}},
        SettleCase{"RenamedAwayAndBackWithinTheWait",
                   {{0, "a"}, {30, "a"}},
                   {{100, kWhole}, {130, kWhole}},
                   {Wait, Restart}},
        SettleCase{"RenamedAwayThenBackLater",
                   {{0, "a"}, {500, "a"}},
                   {{100, kGone}, {600, kWhole}},
                   {CannotRead, Restart}},
        SettleCase{"HalfWritten", {{0, "a"}}, {{100, kHalf}}, {CannotRead}},
        SettleCase{"NothingMoved", {}, {{100, kWhole}}, {Wait}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveSettle, NamesTheFilesSavedAndTheOneThatFailedWithItsReason) {
  SaveSettle settle(kStill);
  settle.Changed("/m/a.wad", 0);
  settle.Changed("/m/b.deh", 10);
  EXPECT_EQ(settle.DueAt(), 110);
  EXPECT_EQ(settle.Look(110, [](const std::string&) { return kWhole; }),
            (SaveVerdict{Restart, {"/m/a.wad", "/m/b.deh"}, {}}));
  settle.Changed("/m/a.wad", 200);
  EXPECT_EQ(settle.Look(300, [](const std::string&) { return kHalf; }),
            (SaveVerdict{CannotRead, {"/m/a.wad"}, kHalf.problem}));
}

}  // namespace
}  // namespace quillon
