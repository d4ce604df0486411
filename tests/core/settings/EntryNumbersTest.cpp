#include <gtest/gtest.h>

#include "core/settings/EntryNumbers.h"
#include "support/ParamNames.h"

namespace quillon {
namespace {

using test::PrintTo;

struct EntryCase {
  const char* name;
  const char* text;
  std::vector<int> parsed;
};

class ParseEntryNumbersTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(ParseEntryNumbersTest, ReadsWhatItCanUse) {
  EXPECT_EQ(ParseEntryNumbers(GetParam().text), GetParam().parsed);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseEntryNumbersTest,
                         ::testing::Values(EntryCase{"Empty", "", {}}, EntryCase{"One", "3", {3}},
                                           EntryCase{"TwoInTheirOrder", "3,1", {3, 1}},
                                           EntryCase{"Blanks", " 1 ,\t3 ", {1, 3}},
                                           EntryCase{"EmptyPieces", ",1,,3,", {1, 3}},
                                           EntryCase{"RepeatDropped", "2,2,5", {2, 5}},
                                           EntryCase{"ZeroAndSignsDropped", "0,-1,+2,4", {4}},
                                           EntryCase{"WordsDropped", "one,2x,1e3,7", {7}},
                                           EntryCase{"LargestKept", "32767", {32767}},
                                           EntryCase{"BeyondDropped", "32768,99999,123456", {}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct RenumberCase {
  const char* name;
  const char* before;
  int entry;
  const char* afterRemoval;
  const char* afterInsertion;
};

class RenumberEntriesTest : public ::testing::TestWithParam<RenumberCase> {};

TEST_P(RenumberEntriesTest, EachNumberFollowsItsEntry) {
  const RenumberCase& c = GetParam();
  EXPECT_EQ(EntryNumbersAfterRemoval(c.before, c.entry), c.afterRemoval);
  EXPECT_EQ(EntryNumbersAfterInsertion(c.before, c.entry), c.afterInsertion);
}

INSTANTIATE_TEST_SUITE_P(Cases, RenumberEntriesTest,
                         ::testing::Values(RenumberCase{"First", "1,3", 1, "2", "2,4"},
                                           RenumberCase{"Between", "1,3", 2, "1,2", "1,4"},
                                           RenumberCase{"Checked", "1,3", 3, "1", "1,4"},
                                           RenumberCase{"AfterAll", "1,3", 4, "1,3", "1,3"},
                                           RenumberCase{"Nothing", "", 1, "", ""},
                                           RenumberCase{"UnusablePiecesGo", "x,2", 1, "1", "3"},
                                           RenumberCase{"PushedOffTheEnd", "5,32767", 6, "5,32766",
                                                        "5"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
