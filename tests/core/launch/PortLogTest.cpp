#include <gtest/gtest.h>

#include "core/launch/PortLog.h"
#include "support/ParamNames.h"

namespace quillon {
namespace {

using test::PrintTo;

TEST(LogFileName, StartsWithTheStampAndKeepsNamesSafe) {
  EXPECT_EQ(LogFileName("20261207-081530-042", "Chocolate Doom"),
            "20261207-081530-042 Chocolate Doom.log");
  EXPECT_EQ(LogFileName("s", "a/b\\c:d*?\"<>|\n"), "s a_b_c_d_______.log");
  EXPECT_EQ(LogFileName("s", ""), "s port.log");
  EXPECT_EQ(LogFileName("s", ".."), "s ..port.log");
}

TEST(LogsToRemove, DropsTheOldestBeyondTheLimitAndNothingElse) {
  const std::vector<std::string> names = {
      "20261207-000003-000 C.log", "notes.txt",
      "20261207-000001-000 A.log", "20261207-000004-000 D.log",
      "20261207-000002-000 B.log", "20250101-000000-000 X.log.bak"};
  EXPECT_EQ(LogsToRemove(names, 2),
            (std::vector<std::string>{"20261207-000001-000 A.log", "20261207-000002-000 B.log"}));
  EXPECT_TRUE(LogsToRemove(names, 4).empty());
  EXPECT_EQ(LogsToRemove(names, 0).size(), 4u);
}

struct TailCase {
  const char* name;
  const char* text;
  std::size_t count;
  std::vector<std::string> lines;
};

class Tail : public ::testing::TestWithParam<TailCase> {};

TEST_P(Tail, KeepsTheLastLines) {
  EXPECT_EQ(LastLines(GetParam().text, GetParam().count), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Tail,
    ::testing::Values(TailCase{"Empty", "", 3, {}},
                      TailCase{"FewerThanAsked", "a\nb\n", 3, {"a", "b"}},
                      TailCase{"Cut", "a\nb\nc\nd\n", 2, {"c", "d"}},
                      TailCase{"LastLineWithoutEnd", "a\nb", 5, {"a", "b"}},
                      TailCase{"CrLfEnds", "a\r\nb\r\n", 5, {"a", "b"}},
                      TailCase{"EmptyLinesCount", "\na\n\n\nb\n", 5, {"", "a", "", "", "b"}},
                      TailCase{"TrailingEmptyLine", "a\n\n", 5, {"a", ""}},
                      TailCase{"ZeroAsked", "a\n", 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DescribeEnd, SaysStatusOrSignal) {
  EXPECT_EQ(DescribeEnd(false, 255, ""), "It ended with exit status 255.");
  EXPECT_EQ(DescribeEnd(true, 11, "Segmentation fault"),
            "It was ended by signal 11 (Segmentation fault).");
  EXPECT_EQ(DescribeEnd(true, 64, ""), "It was ended by signal 64.");
}

TEST(DescribeDuration, ReadsNaturally) {
  EXPECT_EQ(DescribeDuration(-5), "0.0 seconds");
  EXPECT_EQ(DescribeDuration(420), "0.4 seconds");
  EXPECT_EQ(DescribeDuration(9'940), "9.9 seconds");
  EXPECT_EQ(DescribeDuration(12'000), "12 seconds");
  EXPECT_EQ(DescribeDuration(61'000), "1 minute 1 second");
  EXPECT_EQ(DescribeDuration(185'000), "3 minutes 5 seconds");
  EXPECT_EQ(DescribeDuration(3'720'000), "1 hour 2 minutes");
}

}  // namespace
}  // namespace quillon
