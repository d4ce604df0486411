#include <gtest/gtest.h>

#include "core/wad/StartSpot.h"
#include "support/WadWriter.h"

namespace quillon::wad {
namespace {

using test::BinaryMap;
using test::MakeWad;
using test::SquareRoom;
using test::TestLump;
using test::UdmfText;

// A 512 room (sector 0) with a 256 room (sector 1) in its middle, joined by two-sided lines.
test::TestMapLayout RoomInRoom() {
  test::TestMapLayout layout = SquareRoom(512);
  layout.vertices.insert(layout.vertices.end(), {{128, 128}, {128, 384}, {384, 384}, {384, 128}});
  for (int i = 0; i < 4; ++i) {
    layout.lines.push_back({4 + i, 4 + (i + 1) % 4, 4 + i, 8 + i});
  }
  layout.sides.resize(12);
  for (int i = 4; i < 8; ++i) layout.sides[static_cast<std::size_t>(i)].sector = 1;
  layout.sectors.resize(2);
  return layout;
}

MapData Read(const std::string& wad) {
  MemorySource source(wad);
  const WadReadResult read = ReadWad(source);
  return ReadMap(source, read.directory, "MAP01").map;
}

std::string UdmfWad(const std::string& text) {
  return MakeWad("PWAD", {{"MAP01", ""}, {"TEXTMAP", text}, {"ENDMAP", ""}});
}

// The WAD with the directory entry of lump `name` pointed at `offset`, `size` bytes long.
std::string WithLumpAt(std::string wad, std::string_view name, std::uint32_t offset,
                       std::uint32_t size) {
  const auto get = [&](std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(wad[at + i]);
    return value;
  };
  const auto put = [&](std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) wad[at + i] = static_cast<char>(value >> (8 * i));
  };
  for (std::size_t entry = get(8), n = 0; n < get(4); ++n, entry += 16) {
    if (wad.compare(entry + 8, name.size(), name) == 0) {
      put(entry, offset);
      put(entry + 4, size);
    }
  }
  return wad;
}

TEST(StartSpot, FindsTheSectorOfAPoint) {
  const MapData nested = Read(MakeWad("PWAD", BinaryMap("MAP01", RoomInRoom())));
  test::TestMapLayout broken = SquareRoom();
  broken.lines[0].v1 = 99;  // a vertex that does not exist: that line is left out
  const MapData missingVertex = Read(MakeWad("PWAD", BinaryMap("MAP01", broken)));
  // One node splits the map at x = 256 and gives its east half to the inner room: stale nodes
  // for the ring's east side, where the lines have the last word.
  MapData split = Read(MakeWad("PWAD", BinaryMap("MAP01", RoomInRoom())));
  split.nodes = NodeFormat::kClassic;
  split.bspNodes = {{256, 0, 0, 512, {0x8000u, 0x8001u}}};
  split.subsectorSector = {1, 0};
  struct Row {
    const char* name;
    const MapData& map;
    double x, y;
    std::int64_t sector;
  } rows[] = {
      {"InnerRoom", nested, 256, 256, 1},
      {"OuterRing", nested, 64, 300, 0},
      {"Void", nested, 600, 100, kNoSector},
      {"BelowEverything", nested, 100, -5, kNoSector},
      {"MissingVertex", missingVertex, 128, 128, 0},
      {"BspSectorConfirmed", split, 300, 256, 1},
      {"StaleBspFallsBack", split, 450, 256, 0},
      {"BspInTheVoid", split, 700, 256, kNoSector},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(SectorAt(row.map, row.x, row.y), row.sector);
    EXPECT_EQ(SpotRefusal(row.map, row.x, row.y).empty(), row.sector != kNoSector);
  }
}

TEST(StartSpot, RoundsTheFacingToWhatTheFormatStores) {
  const struct {
    MapFormat format;
    double in, out;
  } rows[] = {{MapFormat::kDoom, 30, 45},
              {MapFormat::kHexen, -44, 315},
              {MapFormat::kDoom, 350, 0},
              {MapFormat::kUdmf, 30.4, 30},
              {MapFormat::kUdmf, -90, 270}};
  for (const auto& row : rows) EXPECT_EQ(StoredFacing(row.format, row.in), row.out) << row.in;
}

// Every byte outside the start's own fields is the original's; the start reads back moved.
void ExpectOnlyTheStartMoved(const std::string& original, const StartCopy& copy,
                             const StartSpot& spot) {
  const MapData before = Read(original);
  const MapData after = Read(copy.bytes);
  const std::int64_t start = PlayerStartIndex(after);
  ASSERT_GE(start, 0);
  const MapThing& moved = after.things[static_cast<std::size_t>(start)];
  EXPECT_EQ(moved.x, spot.x);
  EXPECT_EQ(moved.y, spot.y);
  EXPECT_EQ(moved.angle, StoredFacing(after.format, spot.angle));
  EXPECT_EQ(after.things.size(), before.things.size() + (copy.added ? 1 : 0));
  EXPECT_EQ(after.lines.size(), before.lines.size());
  for (std::size_t i = 0; i < before.things.size(); ++i) {
    if (static_cast<std::int64_t>(i) == start) continue;
    EXPECT_EQ(after.things[i].x, before.things[i].x) << "thing " << i;
    EXPECT_EQ(after.things[i].type, before.things[i].type) << "thing " << i;
  }
  const std::size_t same = copy.relocated ? original.size() : copy.bytes.size();
  ASSERT_GE(copy.bytes.size(), same);
  for (std::size_t i = 0; i < same; ++i) {
    const bool header = copy.relocated && i >= 8 && i < 12;
    const bool inStart = !copy.relocated && i >= moved.fileOffset && i < moved.fileEnd;
    if (!header && !inStart) {
      ASSERT_EQ(copy.bytes[i], original[i]) << "byte " << i;
    }
  }
}

TEST(StartSpot, CopiesTheWadWithOnlyTheStartChanged) {
  test::TestMapLayout voodoo = SquareRoom();
  voodoo.things = {{32, 32, 0, 1, 7}, {64, 64, 0, 3004, 7}, {100, 100, 90, 1, 7}};
  test::TestMapLayout noStart = SquareRoom();
  noStart.things = {{64, 64, 0, 3004, 7}};
  std::vector<TestLump> cutThings = BinaryMap("MAP01", SquareRoom());
  cutThings[1].data += "xyz";
  std::string noType = UdmfText(SquareRoom());
  noType.replace(noType.find("type = 1;"), 9, "");
  std::string noAngle = UdmfText(SquareRoom());
  noAngle.replace(noAngle.find("angle = 0;"), 10, "");
  struct Row {
    const char* name;
    std::string wad;
    StartSpot spot;
    bool added = false;
    bool relocated = false;
  };
  const Row rows[] = {
      {"Doom", MakeWad("PWAD", BinaryMap("MAP01", SquareRoom())), {40, 200, 90}},
      {"LastOfTwoStarts", MakeWad("PWAD", BinaryMap("MAP01", voodoo)), {200, 40, 180}},
      {"ThingsNotWholeRecords", MakeWad("PWAD", cutThings), {10, 20, 270}},
      {"NoStartGetsOne", MakeWad("PWAD", BinaryMap("MAP01", noStart)), {8, 8, 45}, true, true},
      {"UdmfShorter", UdmfWad(UdmfText(SquareRoom())), {1, 2, 3}},
      {"UdmfLonger", UdmfWad(UdmfText(SquareRoom())), {-12345.125, 200.5, 359}, false, true},
      {"UdmfThingWithoutType", UdmfWad(noType), {5, 6, 7}, true, true},
      {"UdmfNoAngle", UdmfWad(noAngle), {5, 6, 7}, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const StartCopy copy = CopyWithStart(row.wad, "map01", row.spot);
    ASSERT_TRUE(copy.ok) << copy.error;
    EXPECT_EQ(copy.added, row.added);
    EXPECT_EQ(copy.relocated, row.relocated);
    ExpectOnlyTheStartMoved(row.wad, copy, row.spot);
  }
  // The earlier start of two, a voodoo doll, stays where it was.
  const StartCopy moved = CopyWithStart(rows[1].wad, "MAP01", rows[1].spot);
  EXPECT_EQ(Read(moved.bytes).things[0].x, 32);
}

TEST(StartSpot, RefusesWhatItCannotCopy) {
  test::TestMapLayout noStart = SquareRoom();
  noStart.things = {{64, 64, 0, 3004, 7}};
  std::vector<TestLump> cutNoStart = BinaryMap("MAP01", noStart);
  cutNoStart[1].data += "xyz";
  // Read from offset 0, the THINGS lump's second record begins at byte 10, inside the
  // header, and its type is the real start's angle, 1.
  test::TestMapLayout overHeader = SquareRoom();
  overHeader.things = {{64, 64, 1, 1, 7}};
  const struct {
    const char* name;
    std::string wad;
    StartSpot spot;
    const char* error;
  } rows[] = {
      {"ThingsOverTheHeader",
       WithLumpAt(MakeWad("PWAD", BinaryMap("MAP01", overHeader)), "THINGS", 0, 20),
       {40, 50, 90},
       "header or directory"},

      {"NotAWad", "hello", {}, "WAD"},
      {"NoSuchMap", MakeWad("PWAD", BinaryMap("MAP02", SquareRoom())), {}, "no map MAP01"},
      {"CutThingsWithoutStart", MakeWad("PWAD", cutNoStart), {}, "no start can be added"},
      {"BeyondTheFormat",
       MakeWad("PWAD", BinaryMap("MAP01", SquareRoom())),
       {40000, 0, 0},
       "beyond"},
      {"BrokenText", UdmfWad("thing { type = 1; x = 0.0;"), {}, "cannot be read"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const StartCopy copy = CopyWithStart(row.wad, "MAP01", row.spot);
    EXPECT_FALSE(copy.ok);
    EXPECT_TRUE(copy.bytes.empty());
    EXPECT_NE(copy.error.find(row.error), std::string::npos) << copy.error;
  }
}

}  // namespace
}  // namespace quillon::wad
