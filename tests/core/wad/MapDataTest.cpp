#include <gtest/gtest.h>

#include "core/wad/MapData.h"
#include "core/wad/Udmf.h"
#include "support/WadWriter.h"

namespace quillon::wad {
namespace {

using test::BinaryMap;
using test::MakeWad;
using test::SquareRoom;
using test::TestLump;
using test::UdmfText;

MapReadResult Read(const std::string& bytes, std::string_view name = "MAP01") {
  MemorySource source(bytes);
  const WadReadResult wad = ReadWad(source);
  EXPECT_TRUE(wad.Ok()) << wad.detail;
  return ReadMap(source, wad.directory, name);
}

std::vector<TestLump> UdmfLumps(const std::string& text) {
  return {{"MAP01", ""}, {"TEXTMAP", text}, {"ENDMAP", ""}};
}

TEST(MapData, ReadsTheSameRoomFromEitherFormat) {
  const test::TestMapLayout room = SquareRoom(256);
  for (const bool udmf : {false, true}) {
    SCOPED_TRACE(udmf ? "UDMF" : "Doom");
    const std::string wad =
        MakeWad("PWAD", udmf ? UdmfLumps(UdmfText(room, "zdoom")) : BinaryMap("MAP01", room));
    const MapReadResult result = Read(wad, "map01");
    ASSERT_TRUE(result.ok) << result.error;
    const MapData& map = result.map;
    EXPECT_EQ(map.format, udmf ? MapFormat::kUdmf : MapFormat::kDoom);
    EXPECT_EQ(map.udmfNamespace, udmf ? "zdoom" : "");
    EXPECT_EQ(map.vertices.size(), 4u);
    EXPECT_EQ(map.lines.size(), 4u);
    EXPECT_EQ(map.sides.size(), 4u);
    ASSERT_EQ(map.sectors.size(), 1u);
    EXPECT_EQ(map.sectors[0].floor, "FLOOR4_8");
    EXPECT_EQ(map.sides[2].middle, "STARTAN3");
    EXPECT_EQ(map.sides[2].upper, "-");
    EXPECT_EQ(map.lines[1].back, kNoSide);
    EXPECT_DOUBLE_EQ(map.vertices[2].x, 256);
    ASSERT_EQ(map.things.size(), 1u);
    EXPECT_EQ(map.things[0].type, 1);
    EXPECT_DOUBLE_EQ(map.things[0].x, 128);
    EXPECT_EQ(map.nodes, NodeFormat::kNone);
    EXPECT_TRUE(map.problems.empty());
    // The thing's place in the file holds exactly its record (or block).
    const std::string stored =
        wad.substr(map.things[0].fileOffset, map.things[0].fileEnd - map.things[0].fileOffset);
    if (udmf) {
      EXPECT_TRUE(stored.starts_with("thing {")) << stored;
      EXPECT_TRUE(stored.ends_with("}")) << stored;
    } else {
      EXPECT_EQ(stored, std::string("\x80\0\x80\0\0\0\x01\0\x07\0", 10));
    }
  }
}

TEST(MapData, NotesBrokenRecordsAndKeepsReading) {
  struct Row {
    const char* name;
    std::vector<TestLump> lumps;
    const char* problem;
  };
  test::TestMapLayout badVertex = SquareRoom();
  badVertex.lines[0].v2 = 99;
  std::vector<TestLump> cutThings = BinaryMap("MAP01", SquareRoom());
  cutThings[1].data += "xyz";
  std::string noType = UdmfText(SquareRoom());
  noType.replace(noType.find("type = 1;"), 9, "");
  const Row rows[] = {
      {"ThingsNotWholeRecords", cutThings, "THINGS is 13 bytes, not a multiple of its 10-byte"},
      {"MissingVertex", BinaryMap("MAP01", badVertex), "1 linedefs name a vertex"},
      {"UnclosedBlock", UdmfLumps("namespace = \"doom\";\nthing { x = 1;\n"),
       "TEXTMAP: line 3: the block \"thing\" is never closed"},
      {"UnclosedString", UdmfLumps("namespace = \"doom;\n"), "a string is never closed"},
      {"StrayBrace", UdmfLumps("namespace = \"doom\";\n}\n"), "line 2: a name was expected"},
      {"UnclosedComment", UdmfLumps("/* namespace = \"doom\";\n"), "a comment is never closed"},
      {"ThingWithoutType", UdmfLumps(noType), nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const MapReadResult result = Read(MakeWad("PWAD", row.lumps));
    ASSERT_TRUE(result.ok) << result.error;
    if (row.problem == nullptr) {
      EXPECT_TRUE(result.map.problems.empty());
      ASSERT_EQ(result.map.things.size(), 1u);
      EXPECT_FALSE(result.map.things[0].hasType);
      continue;
    }
    ASSERT_FALSE(result.map.problems.empty());
    EXPECT_NE(result.map.problems.front().find(row.problem), std::string::npos)
        << result.map.problems.front();
  }
}

TEST(MapData, TellsTheNodeFormat) {
  struct Row {
    const char* name;
    const char* lump;  // which map lump gets `data`
    std::string data;
    bool glMarker;
    NodeFormat expected;
  };
  const Row rows[] = {
      {"None", "NODES", "", false, NodeFormat::kNone},
      {"Classic", "NODES", std::string(28, '\0'), false, NodeFormat::kClassic},
      {"Extended", "NODES", "XNOD....", false, NodeFormat::kExtended},
      {"Compressed", "NODES", "ZNOD....", false, NodeFormat::kCompressed},
      {"CompressedGl", "SSECTORS", "ZGLN....", false, NodeFormat::kCompressed},
      {"GlOnly", "NODES", "", true, NodeFormat::kGlOnly},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<TestLump> lumps = BinaryMap("MAP01", SquareRoom());
    for (TestLump& lump : lumps) {
      if (lump.name == row.lump) lump.data = row.data;
    }
    if (row.glMarker) {
      lumps.push_back({"GL_MAP01", ""});
      for (const char* gl : {"GL_VERT", "GL_SEGS", "GL_SSECT", "GL_NODES"}) {
        lumps.push_back({gl, "gNd5data"});
      }
    }
    const MapReadResult result = Read(MakeWad("PWAD", lumps));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.map.nodes, row.expected);
  }
  std::vector<TestLump> udmf = UdmfLumps(UdmfText(SquareRoom()));
  udmf.insert(udmf.begin() + 2, {"ZNODES", "ZGL3...."});
  EXPECT_EQ(Read(MakeWad("PWAD", udmf)).map.nodes, NodeFormat::kCompressed);
}

TEST(MapData, TheLastMapOfANameIsTheOneRead) {
  test::TestMapLayout second = SquareRoom(512);
  const std::string wad =
      MakeWad("PWAD", test::Join({BinaryMap("MAP01", SquareRoom(64)), BinaryMap("MAP01", second)}));
  const MapReadResult result = Read(wad);
  ASSERT_TRUE(result.ok);
  EXPECT_DOUBLE_EQ(result.map.vertices[2].x, 512);
  EXPECT_FALSE(Read(wad, "MAP02").ok);
}

TEST(Udmf, ReadsCommentsEscapesAndRanges) {
  const std::string text =
      "// header\nnamespace = \"zdoom\"; /* a\nb */ thing // t\n{ x = -1.5; comment = "
      "\"say \\\"hi\\\"\"; flag = true; }";
  std::vector<std::string> globals;
  std::vector<UdmfBlock> blocks;
  const UdmfResult result = ReadUdmf(
      text, [&](const UdmfField& field) { globals.push_back(field.key + "=" + field.value); },
      [&](const UdmfBlock& block) { blocks.push_back(block); });
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(globals, std::vector<std::string>{"namespace=zdoom"});
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].Value("x"), "-1.5");
  EXPECT_EQ(blocks[0].Value("comment"), "say \"hi\"");
  EXPECT_EQ(blocks[0].Value("flag"), "true");
  EXPECT_EQ(text.substr(blocks[0].begin, blocks[0].end - blocks[0].begin).substr(0, 5), "thing");
  EXPECT_TRUE(text.substr(0, blocks[0].end).ends_with("}"));
}

}  // namespace
}  // namespace quillon::wad
