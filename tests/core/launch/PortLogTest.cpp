#include <gtest/gtest.h>

#include "core/launch/PortLog.h"
#include "support/ParamNames.h"

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

using test::PrintTo;
const auto kByName = [](const auto& info) { return std::string(info.param.name); };

// The rotation removes only names it gives: the folder may hold the user's own logs.
struct OwnCase {
  const char* name;
  const char* file;
  bool own;
};
const OwnCase kOwnCases[] = {{"Ours", "20261207-081530-042 Chocolate Doom.log", true},
                             {"SecondInAMillisecond", "20261207-081530-042-12 D.log", true},
                             {"UsersNotes", "my-notes-01.log", false},
                             {"NoName", "20261207-081530-042 .log", false},
                             {"ShortStamp", "20261207-081530-04 D.log", false},
                             {"TextBeforeTheStamp", "x 20261207-081530-042 D.log", false}};
class LogOwnership : public ::testing::TestWithParam<OwnCase> {};
TEST_P(LogOwnership, OnlyNamesWeGiveAreOurs) {
  EXPECT_EQ(LogsToRemove({GetParam().file}, 0).size(), GetParam().own ? 1u : 0u);
}
INSTANTIATE_TEST_SUITE_P(Cases, LogOwnership, ::testing::ValuesIn(kOwnCases), kByName);

// Stamp, blank and ".log" take 24 bytes, so NAME_MAX 255 leaves 231 for the name.
struct NameCase {
  const char* name;
  std::string portName;
  std::size_t maxBytes;
  std::string kept;
};
const NameCase kNameCases[] = {
    {"AtTheLimit", std::string(231, 'a'), 255, std::string(231, 'a')},
    {"OneOver", std::string(232, 'a'), 255, std::string(231, 'a')},
    {"CharacterAcross", std::string(229, 'a') + "\xE2\x82\xAC", 255, std::string(229, 'a')},
    {"SmallerLimit", "Chocolate Doom", 30, "Chocol"}};
class LogNameLength : public ::testing::TestWithParam<NameCase> {};
TEST_P(LogNameLength, FitsWithoutSplittingACharacterAndStaysOurs) {
  const std::string got =
      LogFileName("20261207-081530-042", GetParam().portName, GetParam().maxBytes);
  EXPECT_EQ(got, "20261207-081530-042 " + GetParam().kept + ".log");
  EXPECT_EQ(LogsToRemove({got}, 0).size(), 1u);
}
INSTANTIATE_TEST_SUITE_P(Cases, LogNameLength, ::testing::ValuesIn(kNameCases), kByName);

// Each rounding step of the notice's run time, from one millisecond below it to one above.
struct StepCase {
  const char* name;
  long long at;
  const char* below;
  const char* from;
};
const StepCase kSteps[] = {{"Tenths", 50, "0.0 seconds", "0.1 seconds"},
                           {"ToWholeSeconds", 9'950, "9.9 seconds", "10 seconds"},
                           {"Seconds", 10'500, "10 seconds", "11 seconds"},
                           {"ToMinutes", 59'500, "59 seconds", "1 minute 0 seconds"},
                           {"ToHours", 3'599'500, "59 minutes 59 seconds", "1 hour 0 minutes"},
                           {"Minutes", 3'630'000, "1 hour 0 minutes", "1 hour 1 minute"}};
class Duration : public ::testing::TestWithParam<StepCase> {};
TEST_P(Duration, RoundsOnceToWhatItShows) {
  EXPECT_EQ(DescribeDuration(GetParam().at - 1), GetParam().below);
  EXPECT_EQ(DescribeDuration(GetParam().at), GetParam().from);
  EXPECT_EQ(DescribeDuration(GetParam().at + 1), GetParam().from);
}
INSTANTIATE_TEST_SUITE_P(Cases, Duration, ::testing::ValuesIn(kSteps), kByName);

// What the notice shows of a log's tail: a whole line keeps its start, one that began
// before the tail its end.
const std::string kLine(kNoticeLineBytes, 'x');
const std::string kDots = "\xE2\x80\xA6";
struct NoticeCase {
  const char* name;
  std::string tail;
  unsigned long long before;
  std::vector<std::string> lines;
};
const NoticeCase kNoticeCases[] = {
    {"OneOver", kLine + "yz\nb", 0, {kLine + kDots + " [2 bytes cut]", "b"}},
    {"PartialFirstLineLeftOut", "of a line\nnext\n", 100, {"next"}},
    {"PartialOnlyLineNeverSplits",
     "abc\xE2\x82\xAC" + kLine.substr(2) + "\n",
     10,
     {"[16 bytes cut] " + kDots + kLine.substr(2)}}};
class Notice : public ::testing::TestWithParam<NoticeCase> {};
TEST_P(Notice, ShowsTheLastLinesShortened) {
  EXPECT_EQ(NoticeLines(GetParam().tail, GetParam().before), GetParam().lines);
}
INSTANTIATE_TEST_SUITE_P(Cases, Notice, ::testing::ValuesIn(kNoticeCases), kByName);

// Each kind of fatal line an engine leaves, and a near miss that must not count as one.
const std::string kMark(kCauseMark);
struct CauseCase {
  const char* name;
  const char* fatal;
  const char* nearMiss;
};
const CauseCase kCauseCases[] = {
    {"IError", "I_Error: bad lump", "I_Errors suppressed"},
    {"NotFound", "W_GetNumForName: map33 not found!", "MAP33 found"},
    {"CouldntOpen", "W_AddFile: couldn't open /x/DOOM2.WAD", "could open music device"},
    {"CouldNotOpen", "could not open file 'x.deh'", "could now open"},
    {"ErrorColon", "ERROR: no IWAD", "Errors: 0"},
    {"Segfault", "Segmentation fault", "Segmentation of nodes"},
    {"Signal11", "caught signal 11", "signal 110 ignored"},
    {"Aborted", "Aborted (core dumped)", "abort button"},
    {"SignalHandler", "I_SignalHandler: Exiting on signal: signal 8", "exiting normally"},
    {"Crashed", "The game has crashed!", "The game has started"}};
class Cause : public ::testing::TestWithParam<CauseCase> {};
TEST_P(Cause, ComesFirstAndTheLastLinesStayAsTheyWere) {
  const std::string tail = std::string(GetParam().fatal) + "\n" + GetParam().nearMiss + "\n";
  EXPECT_EQ(NoticeLines(tail, 0),
            (std::vector<std::string>{kMark + GetParam().fatal, "", GetParam().fatal,
                                      GetParam().nearMiss}));
}
INSTANTIATE_TEST_SUITE_P(Cases, Cause, ::testing::ValuesIn(kCauseCases), kByName);

TEST(CauseLines, TheLastFewOfTheWholeTailShortened) {
  std::string tail;
  for (int i = 0; i < 7; ++i) tail += "E" + std::to_string(i) + " not found\n";
  tail += kLine + "yz not found\n";
  for (std::size_t i = 0; i < kNoticeLines; ++i) tail += "noise\n";
  const std::vector<std::string> lines = NoticeLines(tail, 0);
  ASSERT_EQ(lines.size(), kNoticeCauses + 1 + kNoticeLines);
  EXPECT_EQ(lines[0], kMark + "E" + std::to_string(8 - kNoticeCauses) + " not found");
  EXPECT_EQ(lines[kNoticeCauses - 1], kMark + kLine + kDots + " [12 bytes cut]");
}

}  // namespace
}  // namespace quillon
