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

}  // namespace
}  // namespace quillon

namespace quillon {
namespace {

constexpr std::string_view kStamp = "20261207-081530-042";

// Whether the rotation counts a file in the logs folder as one of its own.
struct OwnershipCase {
  const char* name;
  std::string file;
  bool own;
};
void PrintTo(const OwnershipCase& c, std::ostream* out) {
  *out << c.name;
}

class LogOwnership : public ::testing::TestWithParam<OwnershipCase> {};

TEST_P(LogOwnership, OnlyNamesWeGiveAreOurs) {
  EXPECT_EQ(LogsToRemove({GetParam().file}, 0).size(), GetParam().own ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LogOwnership,
    ::testing::Values(
        OwnershipCase{"OurLog", "20261207-081530-042 Chocolate Doom.log", true},
        OwnershipCase{"SecondInTheSameMillisecond", "20261207-081530-042-2 Doom.log", true},
        OwnershipCase{"NinetyNinth", "20261207-081530-042-99 Doom.log", true},
        OwnershipCase{"OneCharacterName", "20261207-081530-042 x.log", true},
        OwnershipCase{"UsersNotes", "my-notes-01.log", false},
        OwnershipCase{"StampWithoutName", "20261207-081530-042.log", false},
        OwnershipCase{"EmptyName", "20261207-081530-042 .log", false},
        OwnershipCase{"ShortTime", "20261207-08153-042 Doom.log", false},
        OwnershipCase{"ShortMilliseconds", "20261207-081530-04 Doom.log", false},
        OwnershipCase{"LetterInDate", "2026120a-081530-042 Doom.log", false},
        OwnershipCase{"UnderscoreForDash", "20261207_081530-042 Doom.log", false},
        OwnershipCase{"SuffixNotANumber", "20261207-081530-042-x Doom.log", false},
        OwnershipCase{"EmptySuffix", "20261207-081530-042- Doom.log", false},
        OwnershipCase{"UpperCaseEnding", "20261207-081530-042 Doom.LOG", false},
        OwnershipCase{"RenamedCopy", "20261207-081530-042 Doom.log.bak", false},
        OwnershipCase{"TextBeforeTheStamp", "old 20261207-081530-042 Doom.log", false}),
    [](const auto& info) { return std::string(info.param.name); });

// How many of a folder's files one start removes (it keeps 19 and adds its own).
struct RotationCase {
  const char* name;
  int ours;
  int users;
  std::size_t removed;
};
void PrintTo(const RotationCase& c, std::ostream* out) {
  *out << c.name;
}

class Rotation : public ::testing::TestWithParam<RotationCase> {};

TEST_P(Rotation, KeepsNineteenOfOursAndAllOfTheUsers) {
  std::vector<std::string> names;
  for (int i = 0; i < GetParam().users; ++i) names.push_back("my-notes-" + std::to_string(i) + ".log");
  for (int i = 0; i < GetParam().ours; ++i) {
    names.push_back("2026120" + std::to_string(i / 10) + "-0000" + std::to_string(10 + i % 10) +
                    "-000 Doom.log");
  }
  const std::vector<std::string> removed = LogsToRemove(names, kLogsKept - 1);
  EXPECT_EQ(removed.size(), GetParam().removed);
  for (const std::string& name : removed) EXPECT_FALSE(name.starts_with("my-notes")) << name;
  // The oldest go first.
  if (!removed.empty()) EXPECT_EQ(removed.front(), "20261200-000010-000 Doom.log");
}

INSTANTIATE_TEST_SUITE_P(Cases, Rotation,
                         ::testing::Values(RotationCase{"EighteenOfOurs", 18, 0, 0},
                                           RotationCase{"NineteenOfOurs", 19, 0, 0},
                                           RotationCase{"TwentyOfOurs", 20, 0, 1},
                                           RotationCase{"FewOfOursManyOfTheUsers", 3, 25, 0},
                                           RotationCase{"BothMany", 25, 25, 6}),
                         [](const auto& info) { return std::string(info.param.name); });

// Log names fit the folder's limit on a name's length.
struct NameLengthCase {
  const char* name;
  std::string portName;
  std::size_t maxBytes;
  std::string shownName;  // the part between the stamp and ".log"
};
void PrintTo(const NameLengthCase& c, std::ostream* out) {
  *out << c.name;
}

class LogNameLength : public ::testing::TestWithParam<NameLengthCase> {};

TEST_P(LogNameLength, FitsAndIsStillOurs) {
  const std::string got = LogFileName(kStamp, GetParam().portName, GetParam().maxBytes);
  EXPECT_EQ(got, std::string(kStamp) + ' ' + GetParam().shownName + ".log");
  EXPECT_LE(got.size(), GetParam().maxBytes);
  EXPECT_EQ(LogsToRemove({got}, 0).size(), 1u);
}

// Stamp, blank and ".log" take 24 bytes, so 255 leaves 231 for the name.
INSTANTIATE_TEST_SUITE_P(
    Cases, LogNameLength,
    ::testing::Values(
        NameLengthCase{"Short", "Chocolate Doom", 255, "Chocolate Doom"},
        NameLengthCase{"ExactlyAtTheLimit", std::string(231, 'a'), 255, std::string(231, 'a')},
        NameLengthCase{"OneByteOver", std::string(232, 'a'), 255, std::string(231, 'a')},
        NameLengthCase{"FarOver", std::string(400, 'a'), 255, std::string(231, 'a')},
        NameLengthCase{"TwoByteCharacterAcrossTheLimit", std::string(230, 'a') + "\xC3\xA9", 255,
                       std::string(230, 'a')},
        NameLengthCase{"ThreeByteCharacterAcrossTheLimit",
                       std::string(229, 'a') + "\xE2\x82\xAC", 255, std::string(229, 'a')},
        NameLengthCase{"TwoByteCharacterEndingAtTheLimit", std::string(229, 'a') + "\xC3\xA9",
                       255, std::string(229, 'a') + "\xC3\xA9"},
        NameLengthCase{"SmallerFileSystemLimit", "Chocolate Doom", 30, "Chocol"}),
    [](const auto& info) { return std::string(info.param.name); });

// The run time the notice shows, on each side of each rounding step.
struct DurationCase {
  long long milliseconds;
  const char* text;
};
void PrintTo(const DurationCase& c, std::ostream* out) {
  *out << c.milliseconds << " ms";
}

class Duration : public ::testing::TestWithParam<DurationCase> {};

TEST_P(Duration, RoundsOnceToWhatItShows) {
  EXPECT_EQ(DescribeDuration(GetParam().milliseconds), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Duration,
    ::testing::Values(DurationCase{-1, "0.0 seconds"}, DurationCase{49, "0.0 seconds"},
                      DurationCase{50, "0.1 seconds"}, DurationCase{51, "0.1 seconds"},
                      DurationCase{9'949, "9.9 seconds"}, DurationCase{9'950, "10 seconds"},
                      DurationCase{9'951, "10 seconds"}, DurationCase{10'499, "10 seconds"},
                      DurationCase{10'500, "11 seconds"}, DurationCase{10'501, "11 seconds"},
                      DurationCase{59'499, "59 seconds"},
                      DurationCase{59'500, "1 minute 0 seconds"},
                      DurationCase{59'501, "1 minute 0 seconds"},
                      DurationCase{3'599'499, "59 minutes 59 seconds"},
                      DurationCase{3'599'500, "1 hour 0 minutes"},
                      DurationCase{3'599'501, "1 hour 0 minutes"},
                      DurationCase{3'629'999, "1 hour 0 minutes"},
                      DurationCase{3'630'000, "1 hour 1 minute"},
                      DurationCase{3'630'001, "1 hour 1 minute"}),
    [](const auto& info) {
      const long long ms = info.param.milliseconds;
      return (ms < 0 ? "Minus" + std::to_string(-ms) : std::to_string(ms)) + "ms";
    });

// What the notice shows of a log's tail.
struct NoticeCase {
  const char* name;
  std::string tail;
  unsigned long long bytesBefore;
  std::vector<std::string> lines;
};
void PrintTo(const NoticeCase& c, std::ostream* out) {
  *out << c.name;
}

class Notice : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(Notice, ShowsTheLastLinesShortened) {
  EXPECT_EQ(NoticeLines(GetParam().tail, GetParam().bytesBefore), GetParam().lines);
}

std::string Numbered(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) text += "line " + std::to_string(i) + "\n";
  return text;
}
std::vector<std::string> NumberedLines(int from, int to) {
  std::vector<std::string> lines;
  for (int i = from; i <= to; ++i) lines.push_back("line " + std::to_string(i));
  return lines;
}
std::string Repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Notice,
    ::testing::Values(
        NoticeCase{"Empty", "", 0, {}}, NoticeCase{"Short", "a\nb\n", 0, {"a", "b"}},
        NoticeCase{"FortyOfFifty", Numbered(1, 50), 0, NumberedLines(11, 50)},
        NoticeCase{"LineAtTheLimit", std::string(kNoticeLineBytes, 'x') + "\n", 0,
                   {std::string(kNoticeLineBytes, 'x')}},
        NoticeCase{"LineOneByteOver",
                   std::string(kNoticeLineBytes + 1, 'x') + "\n",
                   0,
                   {std::string(kNoticeLineBytes, 'x') + "\xE2\x80\xA6 [1 byte cut]"}},
        NoticeCase{"LongLineAmongShortOnes",
                   "start\n" + std::string(1000, 'x') + "\nend\n",
                   0,
                   {"start",
                    std::string(kNoticeLineBytes, 'x') + "\xE2\x80\xA6 [" +
                        std::to_string(1000 - kNoticeLineBytes) + " bytes cut]",
                    "end"}},
        NoticeCase{"CutNeverSplitsACharacter",
                   "a" + Repeat("\xC3\xA9", 200) + "\n",
                   0,
                   {"a" + Repeat("\xC3\xA9", (kNoticeLineBytes - 1) / 2) + "\xE2\x80\xA6 [" +
                    std::to_string(401 - 1 - (kNoticeLineBytes - 1) / 2 * 2) + " bytes cut]"}},
        NoticeCase{"PartialFirstLineIsDropped", "of a line\nnext\n", 100, {"next"}},
        NoticeCase{"OnlyAPartialLineShowsItsEnd",
                   std::string(5000, 'y') + "R_InitTextures: bad texture\n",
                   8'000'000,
                   {"[" + std::to_string(8'000'000 + 5000 + 27 - kNoticeLineBytes) +
                    " bytes cut] \xE2\x80\xA6" + std::string(kNoticeLineBytes - 27, 'y') +
                    "R_InitTextures: bad texture"}},
        NoticeCase{"PartialLineCutNeverSplitsACharacter",
                   Repeat("\xE2\x82\xAC", 1000) + "z",
                   10,
                   {"[" + std::to_string(10 + 3001 - (kNoticeLineBytes - 1) / 3 * 3 - 1) +
                    " bytes cut] \xE2\x80\xA6" +
                    Repeat("\xE2\x82\xAC", (kNoticeLineBytes - 1) / 3) + "z"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
