#include <gtest/gtest.h>

#include <ostream>

#include "core/launch/PortLog.h"

namespace quillon {
namespace {

TEST(LogFileName, StartsWithTheStampAndKeepsNamesSafe) {
  EXPECT_EQ(LogFileName("20261207-081530-042", "Chocolate Doom", 255),
            "20261207-081530-042 Chocolate Doom.log");
  EXPECT_EQ(LogFileName("s", "a/b\\c:d*?\"<>|\n", 255), "s a_b_c_d_______.log");
  EXPECT_EQ(LogFileName("s", "", 255), "s port.log");
  EXPECT_EQ(LogFileName("s", "..", 255), "s ..port.log");
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

// Every case prints as its name.
template <class Case>
  requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}
const auto kByName = [](const auto& info) { return std::string(info.param.name); };

// The rotation removes only names it gives: the folder may hold the user's own logs.
struct OwnCase {
  const char* name;
  std::string file;
  bool own;
};
class LogOwnership : public ::testing::TestWithParam<OwnCase> {};
TEST_P(LogOwnership, OnlyNamesWeGiveAreOurs) {
  EXPECT_EQ(LogsToRemove({GetParam().file}, 0).size(), GetParam().own ? 1u : 0u);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, LogOwnership,
    ::testing::Values(OwnCase{"Ours", "20261207-081530-042 Chocolate Doom.log", true},
                      OwnCase{"SecondInAMillisecond", "20261207-081530-042-12 D.log", true},
                      OwnCase{"UsersNotes", "my-notes-01.log", false},
                      OwnCase{"NoName", "20261207-081530-042 .log", false},
                      OwnCase{"NoBlank", "20261207-081530-042.log", false},
                      OwnCase{"ShortStamp", "20261207-081530-04 D.log", false},
                      OwnCase{"LetterInStamp", "2026120a-081530-042 D.log", false},
                      OwnCase{"BadSuffix", "20261207-081530-042- D.log", false},
                      OwnCase{"UpperCaseEnding", "20261207-081530-042 D.LOG", false},
                      OwnCase{"TextBeforeTheStamp", "x 20261207-081530-042 D.log", false}),
    kByName);

struct RotationCase {
  const char* name;
  int ours;
  std::size_t removed;
};
class Rotation : public ::testing::TestWithParam<RotationCase> {};
TEST_P(Rotation, KeepsNineteenOfOursAndEveryOneOfTheUsers) {
  std::vector<std::string> names(25, "my-notes.log");
  for (int i = 0; i < GetParam().ours; ++i) names.push_back(LogFileName(std::to_string(20261200 + i) + "-000000-000", "D", 255));
  const std::vector<std::string> removed = LogsToRemove(names, kLogsKept - 1);
  EXPECT_EQ(removed, std::vector<std::string>(names.begin() + 25, names.begin() + 25 + static_cast<std::ptrdiff_t>(GetParam().removed)));
}
INSTANTIATE_TEST_SUITE_P(Cases, Rotation,
                         ::testing::Values(RotationCase{"Eighteen", 18, 0},
                                           RotationCase{"Nineteen", 19, 0},
                                           RotationCase{"Twenty", 20, 1}, RotationCase{"TwentyFive", 25, 6}),
                         kByName);

// Stamp, blank and ".log" take 24 bytes, so NAME_MAX 255 leaves 231 for the name.
struct NameCase {
  const char* name;
  std::string portName;
  std::size_t maxBytes;
  std::string kept;
};
class LogNameLength : public ::testing::TestWithParam<NameCase> {};
TEST_P(LogNameLength, FitsWithoutSplittingACharacterAndStaysOurs) {
  const std::string got = LogFileName("20261207-081530-042", GetParam().portName, GetParam().maxBytes);
  EXPECT_EQ(got, "20261207-081530-042 " + GetParam().kept + ".log");
  EXPECT_EQ(LogsToRemove({got}, 0).size(), 1u);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, LogNameLength,
    ::testing::Values(NameCase{"AtTheLimit", std::string(231, 'a'), 255, std::string(231, 'a')},
                      NameCase{"OneOver", std::string(232, 'a'), 255, std::string(231, 'a')},
                      NameCase{"CharacterAcross", std::string(229, 'a') + "\xE2\x82\xAC", 255, std::string(229, 'a')},
                      NameCase{"CharacterEndingAtIt", std::string(229, 'a') + "\xC3\xA9", 255, std::string(229, 'a') + "\xC3\xA9"},
                      NameCase{"SmallerLimit", "Chocolate Doom", 30, "Chocol"}),
    kByName);

// The notice's run time on each side of each rounding step.
struct DurationCase {
  const char* name;
  long long ms;
  const char* text;
};
class Duration : public ::testing::TestWithParam<DurationCase> {};
TEST_P(Duration, RoundsOnceToWhatItShows) {
  EXPECT_EQ(DescribeDuration(GetParam().ms), GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, Duration,
    ::testing::Values(DurationCase{"Tenth49", 49, "0.0 seconds"}, DurationCase{"Tenth50", 50, "0.1 seconds"},
                      DurationCase{"Ten9949", 9'949, "9.9 seconds"}, DurationCase{"Ten9950", 9'950, "10 seconds"},
                      DurationCase{"Ten9951", 9'951, "10 seconds"}, DurationCase{"Second10499", 10'499, "10 seconds"},
                      DurationCase{"Second10500", 10'500, "11 seconds"},
                      DurationCase{"Minute59499", 59'499, "59 seconds"},
                      DurationCase{"Minute59500", 59'500, "1 minute 0 seconds"},
                      DurationCase{"Minute59501", 59'501, "1 minute 0 seconds"},
                      DurationCase{"Hour3599499", 3'599'499, "59 minutes 59 seconds"},
                      DurationCase{"Hour3599500", 3'599'500, "1 hour 0 minutes"},
                      DurationCase{"Hour3599501", 3'599'501, "1 hour 0 minutes"},
                      DurationCase{"HourMinute3629999", 3'629'999, "1 hour 0 minutes"},
                      DurationCase{"HourMinute3630000", 3'630'000, "1 hour 1 minute"}),
    kByName);

// What the notice shows of a log's tail; the cut keeps the start of a whole line, the end of
// one whose start lies before the tail.
struct NoticeCase {
  const char* name;
  std::string tail;
  unsigned long long before;
  std::vector<std::string> lines;
};
class Notice : public ::testing::TestWithParam<NoticeCase> {};
TEST_P(Notice, ShowsTheLastLinesShortened) {
  EXPECT_EQ(NoticeLines(GetParam().tail, GetParam().before), GetParam().lines);
}
const std::string kLine(kNoticeLineBytes, 'x');
const std::string kDots = "\xE2\x80\xA6";
INSTANTIATE_TEST_SUITE_P(
    Cases, Notice,
    ::testing::Values(
        NoticeCase{"AtTheLimit", "a\n" + kLine + "\n", 0, {"a", kLine}},
        NoticeCase{"OneOver", kLine + "yz\nb", 0, {kLine + kDots + " [2 bytes cut]", "b"}},
        NoticeCase{"NeverSplitsACharacter", kLine.substr(1) + "\xC3\xA9!\n", 0, {kLine.substr(1) + kDots + " [3 bytes cut]"}},
        NoticeCase{"PartialFirstLineLeftOut", "of a line\nnext\n", 100, {"next"}},
        NoticeCase{"OnlyAPartialLine", "\x82\xAC" + kLine + "end\n", 8'000'000, {"[8000005 bytes cut] " + kDots + kLine.substr(3) + "end"}},
        NoticeCase{"PartialNeverSplitsACharacter", "abc\xE2\x82\xAC" + kLine.substr(2), 10, {"[16 bytes cut] " + kDots + kLine.substr(2)}}),
    kByName);

}  // namespace
}  // namespace quillon
