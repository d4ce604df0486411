#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <new>

#include "core/wad/WadDescription.h"
#include "core/wad/WadReader.h"
#include "support/WadWriter.h"

namespace quillon::wad {
namespace {

using test::DoomMap;
using test::Join;
using test::MakeEntry;
using test::MakeHeader;
using test::MakeWad;
using test::TestLump;
using test::UdmfMap;

WadReadResult ReadBytes(const std::string& bytes) {
  MemorySource source(bytes);
  return ReadWad(source);
}

std::vector<std::string> MapNames(const WadReadResult& result) {
  std::vector<std::string> names;
  for (const MapInfo& map : result.directory.maps) names.push_back(map.name);
  return names;
}

// Files that must be refused, each with what the reader must call it.
struct BrokenRow {
  const char* name;
  std::string bytes;
  WadStatus status;
  friend void PrintTo(const BrokenRow& row, std::ostream* os) { *os << row.name; }
};

// A valid one-lump body ("data" at offset 12) that the broken rows bend one field of.
const std::string kData = "data";

const BrokenRow kBrokenRows[] = {
    {"Empty", "", WadStatus::kNotAWad},
    {"TextFile", "Patch File for DeHackEd v3.0\n", WadStatus::kNotAWad},
    {"WrongMagic", MakeHeader("ZWAD", 0, 12), WadStatus::kNotAWad},
    {"LowerCaseMagic", MakeHeader("pwad", 0, 12), WadStatus::kNotAWad},
    {"MagicOnly", "PWAD", WadStatus::kCutShort},
    {"ShortHeader", std::string("IWAD\x01\x00\x00", 7), WadStatus::kCutShort},
    {"HalfMagic", "IW", WadStatus::kCutShort},
    {"NegativeCount", MakeHeader("PWAD", -1, 12), WadStatus::kBadDirectory},
    {"NegativeDirectoryOffset", MakeHeader("PWAD", 0, -12), WadStatus::kBadDirectory},
    {"CountLargerThanFile", MakeHeader("PWAD", 3, 12, MakeEntry(0, 0, "A")),
     WadStatus::kBadDirectory},
    {"ForgedHugeCount", MakeHeader("PWAD", 0x7fffffff, 12, MakeEntry(0, 0, "A")),
     WadStatus::kBadDirectory},
    {"DirectoryOffsetPastEnd", MakeHeader("PWAD", 1, 4096, MakeEntry(0, 0, "A")),
     WadStatus::kBadDirectory},
    {"DirectoryOverflowsInt32", MakeHeader("PWAD", 0x7fffffff, 0x7fffffff),
     WadStatus::kBadDirectory},
    {"DirectoryCutOff", MakeHeader("PWAD", 1, 12, MakeEntry(0, 0, "A").substr(0, 15)),
     WadStatus::kBadDirectory},
    {"NegativeLumpSize", MakeHeader("PWAD", 1, 16, kData + MakeEntry(12, -4, "DATA")),
     WadStatus::kBadLump},
    {"NegativeLumpOffset", MakeHeader("PWAD", 1, 16, kData + MakeEntry(-12, 4, "DATA")),
     WadStatus::kBadLump},
    {"NegativeOffsetOfMarker", MakeHeader("PWAD", 1, 12, MakeEntry(-1, 0, "MAP01")),
     WadStatus::kBadLump},
    {"LumpPastEnd", MakeHeader("PWAD", 1, 16, kData + MakeEntry(12, 40, "DATA")),
     WadStatus::kBadLump},
    {"LumpOverflowsInt32",
     MakeHeader("PWAD", 1, 16, kData + MakeEntry(0x7fffffff, 0x7fffffff, "DATA")),
     WadStatus::kBadLump},
};

class BrokenWad : public ::testing::TestWithParam<BrokenRow> {};

TEST_P(BrokenWad, IsReportedNotTrusted) {
  const BrokenRow& row = GetParam();
  const WadReadResult result = ReadBytes(row.bytes);
  EXPECT_EQ(result.status, row.status) << result.detail;
  EXPECT_FALSE(result.detail.empty());
  EXPECT_TRUE(result.directory.lumps.empty());
  // Nothing past the directory is read, and a refused directory is not read at all.
  EXPECT_LE(result.bytesRead, std::max<std::uint64_t>(row.bytes.size(), 12));
  if (row.status != WadStatus::kBadLump) {
    EXPECT_LE(result.bytesRead, 12u);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, BrokenWad, ::testing::ValuesIn(kBrokenRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Each bound on the side where it must decide: ending exactly at the end of the file is whole,
// one byte further is not. A size past the bytes reads as a sparse file does.
struct EdgeRow {
  const char* name;
  std::string bytes;
  std::uint64_t size;  // of the file; 0 for the bytes' own
  WadStatus status;
  std::size_t lumps = 0;
  friend void PrintTo(const EdgeRow& row, std::ostream* os) { *os << row.name; }
};

constexpr std::int32_t kMax32 = 0x7fffffff;
constexpr std::uint64_t kEntry = 16;

// 32 bytes: the header, "data", then one entry at `at` (16 puts it last in the file).
std::string OneLump(std::int32_t offset, std::int32_t size, std::int32_t at = 16) {
  return MakeHeader("PWAD", 1, at, kData + MakeEntry(offset, size, "DATA"));
}

using enum WadStatus;
const EdgeRow kEdgeRows[] = {
    {"HeaderOneByteShort", MakeHeader("PWAD", 0, 12).substr(0, 11), 0, kCutShort},
    {"LumpEndsAtLastByte", OneLump(28, 4), 0, kOk, 1},
    {"LumpEndsOneBytePast", OneLump(28, 5), 0, kBadLump},
    {"DirectoryEndsAtLastByte", OneLump(12, 4), 0, kOk, 1},
    {"DirectoryOneBytePast", OneLump(12, 4, 17), 0, kBadDirectory},
    {"CountAtCap", MakeHeader("PWAD", kMaxLumps, 12), 12 + kEntry* kMaxLumps, kOk, kMaxLumps},
    {"CountOneAboveCap", MakeHeader("PWAD", kMaxLumps + 1, 12), 28 + kEntry* kMaxLumps,
     kBadDirectory},
    {"LargestLumpEndsAtLastByte", OneLump(kMax32, kMax32), 2ull * kMax32, kOk, 1},
    {"LargestLumpOneBytePast", OneLump(kMax32, kMax32), 2ull * kMax32 - 1, kBadLump},
};

class WadEdge : public ::testing::TestWithParam<EdgeRow> {};

TEST_P(WadEdge, DecidesOnTheRightSide) {
  const EdgeRow& row = GetParam();
  MemorySource source(row.bytes, row.size == 0 ? row.bytes.size() : row.size);
  const WadReadResult result = ReadWad(source);
  EXPECT_EQ(result.status, row.status) << result.detail;
  EXPECT_EQ(result.directory.lumps.size(), row.lumps);
  // Nothing is read past the directory, nor of a refused one.
  EXPECT_TRUE(row.status == kBadLump || result.bytesRead <= 12 + kEntry * row.lumps);
}

INSTANTIATE_TEST_SUITE_P(Table, WadEdge, ::testing::ValuesIn(kEdgeRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Keeps the largest read asked of it, or throws as a failed allocation does.
struct WatchedSource : WadSource {
  explicit WatchedSource(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.Size(); }
  std::size_t largestRead = 0;
  bool throws = false;
  bool ReadAt(std::uint64_t offset, std::span<char> out) override {
    if (throws) throw std::bad_alloc();
    largestRead = std::max(largestRead, out.size());
    return bytes_.Read(offset, out);
  }
  MemorySource bytes_;
};

TEST(WadReader, ReadsALargeDirectoryInPieces) {
  std::vector<TestLump> lumps(3 * kDirectoryPieceEntries + 5, TestLump{"MARKER", ""});
  lumps.back() = {"LAST", "data"};
  const std::string bytes = MakeWad("PWAD", lumps);
  WatchedSource source(bytes);
  const WadReadResult result = ReadWad(source);
  ASSERT_EQ(result.directory.lumps.size(), lumps.size()) << result.detail;
  EXPECT_EQ(result.directory.lumps.back().name, "LAST");
  EXPECT_LE(source.largestRead, kEntry * kDirectoryPieceEntries);
}

TEST(WadReader, FailedAllocationIsAnUnreadableFile) {
  const std::string bytes = MakeWad("PWAD", DoomMap("MAP01"));
  WatchedSource source(bytes);
  source.throws = true;
  EXPECT_EQ(ReadWad(source).status, kUnreadable);
}

// The most lumps a header can claim, in a file long enough to hold them: 32 GiB on paper,
// nothing on disk.
TEST(WadReader, HostileSparseFileIsNotAWad) {
  test::ScratchFolder folder;
  const std::string path = folder.File("hostile.wad");
  test::WriteBytes(path, MakeHeader("PWAD", kMax32, 12));
  std::filesystem::resize_file(path, 12 + kEntry * kMax32);
  const WadReadResult result = ReadWadFile(path);
  EXPECT_EQ(DescribeFile(path, result).text, "not a WAD file") << result.detail;
  EXPECT_LE(result.bytesRead, 12u);
}

TEST(WadReader, ReadsHeaderDirectoryAndNamesAsStored) {
  // An eight-letter name has no NUL; a shorter one may carry junk after its NUL.
  const std::string bytes =
      MakeHeader("IWAD", 3, 16,
                 kData + MakeEntry(12, 4, "COLORMAP") +
                     MakeEntry(0, 0, std::string("AB\0JUNK!", 8)) + MakeEntry(99999, 0, "F_END"));
  const WadReadResult result = ReadBytes(bytes);
  ASSERT_TRUE(result.Ok()) << result.detail;
  EXPECT_EQ(result.directory.kind, WadKind::kIwad);
  ASSERT_EQ(result.directory.lumps.size(), 3u);
  EXPECT_EQ(result.directory.lumps[0].name, "COLORMAP");
  EXPECT_EQ(result.directory.lumps[0].offset, 12u);
  EXPECT_EQ(result.directory.lumps[0].size, 4u);
  EXPECT_EQ(result.directory.lumps[1].name, "AB");
  EXPECT_EQ(result.directory.lumps[2].name, "F_END");  // an empty marker may point anywhere
  EXPECT_EQ(result.fileSize, bytes.size());
  EXPECT_EQ(result.bytesRead, 12u + 3 * 16);
}

TEST(WadReader, EmptyPwadHasNoLumpsAndNoMaps) {
  const WadReadResult result = ReadBytes(MakeWad("PWAD", {}));
  ASSERT_TRUE(result.Ok()) << result.detail;
  EXPECT_EQ(result.directory.kind, WadKind::kPwad);
  EXPECT_TRUE(result.directory.lumps.empty());
  EXPECT_TRUE(result.directory.maps.empty());
}

TEST(WadReader, ReadsOnlyHeaderAndDirectoryOfAFile) {
  test::ScratchFolder folder;
  const std::string path = folder.File("big.wad");
  auto lumps = Join({DoomMap("MAP01"), {{"MUSIC", std::string(1 << 20, 'm')}}, UdmfMap("MAP02")});
  test::WriteBytes(path, MakeWad("PWAD", lumps));

  const WadReadResult result = ReadWadFile(path);
  ASSERT_TRUE(result.Ok()) << result.detail;
  EXPECT_EQ(result.directory.lumps.size(), lumps.size());
  EXPECT_EQ(MapNames(result), (std::vector<std::string>{"MAP01", "MAP02"}));
  EXPECT_EQ(result.fileSize, std::filesystem::file_size(path));
  EXPECT_EQ(result.bytesRead, 12 + 16 * lumps.size());
}

TEST(WadReader, MissingAndUnopenableFiles) {
  test::ScratchFolder folder;
  EXPECT_EQ(ReadWadFile(folder.File("nothing.wad")).status, WadStatus::kFileNotFound);
  EXPECT_EQ(ReadWadFile(folder.Path().string()).status, WadStatus::kUnreadable);
}

// Map detection: which markers count and in which format, for Doom 1, Doom 2, Hexen and UDMF
// names, and the look-alikes that must not count.
struct MapRow {
  const char* name;
  std::vector<TestLump> lumps;
  std::vector<std::string> maps;
  MapFormat firstFormat = MapFormat::kDoom;
  friend void PrintTo(const MapRow& row, std::ostream* os) { *os << row.name; }
};

const MapRow kMapRows[] = {
    {"Doom1Episode",
     Join({DoomMap("E1M1"), DoomMap("E1M2"), DoomMap("E4M9")}),
     {"E1M1", "E1M2", "E4M9"}},
    {"Doom2", Join({DoomMap("MAP01"), DoomMap("MAP07")}), {"MAP01", "MAP07"}},
    {"Hexen", DoomMap("MAP03", true), {"MAP03"}, MapFormat::kHexen},
    {"Udmf", Join({UdmfMap("MAP05"), {{"ZNODES", "x"}}}), {"MAP05"}, MapFormat::kUdmf},
    {"LowerCaseMarker", DoomMap("map09"), {"MAP09"}},
    {"ThingsAloneMakeAMap", {{"E2M3", ""}, {"THINGS", "t"}}, {"E2M3"}},
    {"MarkerWithoutMapLumps", {{"MAP01", ""}, {"D_RUNNIN", "mus"}}, {}},
    {"MarkerLast", {{"PLAYPAL", "p"}, {"MAP01", ""}}, {}},
    {"MapLumpsWithoutMarker", {{"DATA", ""}, {"THINGS", "t"}}, {}},
    {"LookAlikes",
     Join({DoomMap("E0M1"), DoomMap("E1M0"), DoomMap("MAP00"), DoomMap("MAP1"), DoomMap("MAP100"),
           DoomMap("E1M10"), DoomMap("MAPAB"), DoomMap("EXMY")}),
     {}},
    {"SameMapTwiceCountsOnceLastFormat",
     Join({DoomMap("MAP02"), UdmfMap("MAP02")}),
     {"MAP02"},
     MapFormat::kUdmf},
    {"PlayOrder",
     Join({DoomMap("MAP10"), DoomMap("MAP02"), DoomMap("E2M1"), DoomMap("E1M9")}),
     {"E1M9", "E2M1", "MAP02", "MAP10"}},
};

class MapDetection : public ::testing::TestWithParam<MapRow> {};

TEST_P(MapDetection, FindsTheMaps) {
  const MapRow& row = GetParam();
  const WadReadResult result = ReadBytes(MakeWad("PWAD", row.lumps));
  ASSERT_TRUE(result.Ok()) << result.detail;
  EXPECT_EQ(MapNames(result), row.maps);
  if (!row.maps.empty()) {
    EXPECT_EQ(result.directory.maps.front().format, row.firstFormat);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, MapDetection, ::testing::ValuesIn(kMapRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WadReader, Freedoom2WhenInstalled) {
  const std::string path = "/usr/share/games/doom/freedoom2.wad";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
  const WadReadResult result = ReadWadFile(path);
  ASSERT_TRUE(result.Ok()) << result.detail;
  EXPECT_EQ(result.directory.kind, WadKind::kIwad);
  EXPECT_GT(result.directory.lumps.size(), 1000u);
  ASSERT_EQ(result.directory.maps.size(), 32u);
  EXPECT_EQ(result.directory.maps.front().name, "MAP01");
  EXPECT_EQ(result.directory.maps.back().name, "MAP32");
  EXPECT_EQ(result.bytesRead, 12 + 16 * result.directory.lumps.size());
}

}  // namespace
}  // namespace quillon::wad
