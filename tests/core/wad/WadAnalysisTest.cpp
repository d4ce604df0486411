#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "core/wad/MapInfoText.h"
#include "core/wad/WadAnalysis.h"
#include "support/WadWriter.h"

namespace quillon::wad {
namespace {

using test::BinaryMap;
using test::Join;
using test::MakeWad;
using test::SquareRoom;
using test::TestLump;
using test::TestMapLayout;

WadNeeds Analyze(const std::string& bytes) {
  MemorySource source(bytes);
  return AnalyzeWad(source, "/maps/test.wad");
}

// The room with a subsector of its own, as a node builder leaves a one-sector map.
std::vector<TestLump> Room(const TestMapLayout& layout = SquareRoom(),
                           const std::string& nodes = "") {
  std::vector<TestLump> lumps = BinaryMap("MAP01", layout);
  for (TestLump& lump : lumps) {
    if (lump.name == "SSECTORS") lump.data = nodes.empty() ? std::string(4, '\0') : nodes;
  }
  return lumps;
}

TestMapLayout With(const std::function<void(TestMapLayout&)>& change) {
  TestMapLayout layout = SquareRoom();
  change(layout);
  return layout;
}

TEST(WadAnalysis, ReadsWhatEachMapAndFileBrings) {
  struct Case {
    const char* name;
    std::vector<TestLump> lumps;
    std::function<void(const WadNeeds&)> check;
  };
  const std::vector<Case> cases = {
      {"a plain room", Room(),
       [](const WadNeeds& w) {
         ASSERT_EQ(w.maps.size(), 1u);
         const MapNeeds& map = w.maps[0];
         EXPECT_EQ(map.nodes, NodeFormat::kClassic);
         EXPECT_TRUE(map.player1Start);
         EXPECT_EQ(map.linedefs, 4u);
         EXPECT_FALSE(map.boomSpecials || map.mbf21 || map.mbfThings);
         EXPECT_EQ(map.textures, std::vector<std::string>{"STARTAN3"});
         EXPECT_EQ(map.flats, (std::vector<std::string>{"FLOOR4_8", "CEIL3_5"}));
         EXPECT_TRUE(Brings(w).empty());
       }},
      {"extended nodes", Room(SquareRoom(), "XNOD" + std::string(8, '\0')),
       [](const WadNeeds& w) { EXPECT_EQ(w.maps[0].nodes, NodeFormat::kExtended); }},
      {"no nodes, no player", BinaryMap("MAP01", With([](auto& s) { s.things.clear(); })),
       [](const WadNeeds& w) {
         EXPECT_EQ(w.maps[0].nodes, NodeFormat::kNone);
         EXPECT_FALSE(w.maps[0].player1Start);
       }},
      {"a generalized line", Room(With([](auto& s) { s.lines[0].special = 0x3000; })),
       [](const WadNeeds& w) { EXPECT_TRUE(w.maps[0].boomSpecials); }},
      {"a Boom sector", Room(With([](auto& s) { s.sectors[0].special = 0x20; })),
       [](const WadNeeds& w) { EXPECT_TRUE(w.maps[0].boomSpecials); }},
      {"an MBF21 line flag", Room(With([](auto& s) { s.lines[1].flags |= 0x2000; })),
       [](const WadNeeds& w) { EXPECT_TRUE(w.maps[0].mbf21); }},
      {"editor noise in the upper flags",
       Room(With([](auto& s) { s.lines[1].flags |= 0x800 | 0x2000 | 0x200; })),
       [](const WadNeeds& w) { EXPECT_FALSE(w.maps[0].mbf21 || w.maps[0].boomSpecials); }},
      {"an unknown thing and a helper dog", Room(With([](auto& s) {
         s.things.push_back({.type = 9999});
         s.things.push_back({.type = 888});
         s.things.push_back({.type = 7777, .flags = 0x10 | 7});  // multiplayer only
       })),
       [](const WadNeeds& w) {
         EXPECT_EQ(w.maps[0].unknownThings, std::vector<std::int32_t>{9999});
         EXPECT_TRUE(w.maps[0].mbfThings);
       }},
      {"lumps and titles",
       Join({Room(),
             {{"COMPLVL", "mbf21\n"},
              {"UMAPINFO", "map MAP01 { levelname = \"Entryway\" music = \"D_RUNNIN\" }"},
              {"MAPINFO", "map MAP01 \"Other\"\n"},
              {"DEHACKED", "Patch File for DeHackEd v3.0\n[CODEPTR]\nFRAME 1 = Look\n"},
              {"F_START", ""},
              {"MYFLAT", std::string(4096, '\0')},
              {"F_END", ""},
              {"TX_START", ""},
              {"MYTEX", "x"},
              {"TX_END", ""}}}),
       [](const WadNeeds& w) {
         EXPECT_EQ(w.complevel, 21);
         EXPECT_EQ(w.maps[0].title, "Entryway");  // UMAPINFO's wins
         for (const char* f : {"COMPLVL", "UMAPINFO", "MAPINFO", "DEHACKED", "DEHACKED (BEX)",
                               "FLATS", "TEXTURES"}) {
           EXPECT_TRUE(w.Has(f)) << f;
         }
         EXPECT_EQ(w.flatsProvided, std::vector<std::string>{"MYFLAT"});
         EXPECT_EQ(w.texturesFromTx, std::vector<std::string>{"MYTEX"});
       }},
      {"a UMAPINFO with a block left open",
       Join({Room(), {{"UMAPINFO", "map MAP01 {\n levelname = \"A\"\n"}}}),
       [](const WadNeeds& w) {
         EXPECT_EQ(w.umapinfoError, "UMAPINFO line 3: the block of MAP01 is never closed");
       }},
      {"a UDMF map",
       {{"MAP01", ""}, {"TEXTMAP", test::UdmfText(SquareRoom(), "zdoom")}, {"ENDMAP", ""}},
       [](const WadNeeds& w) {
         EXPECT_EQ(w.maps[0].format, MapFormat::kUdmf);
         EXPECT_EQ(w.maps[0].udmfNamespace, "zdoom");
         EXPECT_TRUE(w.maps[0].player1Start);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WadNeeds needs = Analyze(MakeWad("PWAD", c.lumps));
    ASSERT_TRUE(needs.Ok()) << needs.error;
    c.check(needs);
  }
}

TEST(WadAnalysis, ReadsTheTexturesATextureDirectoryDefines) {
  // TEXTURE1 with one texture "WALL42" of one patch, which names PNAMES entry 0.
  std::string texture1("\1\0\0\0\x08\0\0\0", 8);
  texture1 += std::string("WALL42\0\0", 8) + std::string(12, '\0') + std::string("\1\0", 2);
  texture1 += std::string(10, '\0');
  const std::string pnames = std::string("\1\0\0\0", 4) + std::string("PATCH1\0\0", 8);
  const WadNeeds needs = Analyze(MakeWad("PWAD", {{"PNAMES", pnames}, {"TEXTURE1", texture1}}));
  EXPECT_EQ(needs.texturesProvided, std::vector<std::string>{"WALL42"});
  EXPECT_TRUE(needs.problems.empty());

  texture1[0] = 9;  // claims nine textures
  EXPECT_FALSE(Analyze(MakeWad("PWAD", {{"TEXTURE1", texture1}})).problems.empty());
}

TEST(WadAnalysis, DescribesHostileFiles) {
  const std::string maxLumps = test::MakeHeader("PWAD", 0x7FFFFFFF, 12);
  const std::string pastEnd = test::MakeHeader("PWAD", 1, 12, test::MakeEntry(4, 1 << 30, "MAP01"));
  const std::string longLine = "namespace=\"doom\";" + std::string(1 << 20, 'x');
  for (const std::string& bytes :
       {maxLumps, pastEnd, MakeWad("PWAD", {{"MAP01", ""}, {"TEXTMAP", longLine}, {"ENDMAP", ""}}),
        MakeWad("PWAD", {{"UMAPINFO", std::string(5000, '{') + std::string(3, '}')}}),
        std::string("PWA")}) {
    const WadNeeds needs = Analyze(bytes);
    EXPECT_TRUE(!needs.Ok() || !needs.problems.empty() || !needs.umapinfoError.empty() ||
                (needs.maps.size() == 1 && !needs.maps[0].problems.empty()));
    EXPECT_TRUE(needs.Ok() || !needs.error.empty());
  }
}

// A hostile file is described: not a WAD, or a problem noted for the file or its map.
bool Described(const WadNeeds& needs) {
  if (!needs.Ok()) return !needs.error.empty();
  return !needs.problems.empty() || !needs.umapinfoError.empty() ||
         std::any_of(needs.maps.begin(), needs.maps.end(),
                     [](const MapNeeds& map) { return !map.problems.empty(); });
}

// The file's analysis in a child process: whether `check` held, and the most memory the child
// held (its peak resident set, MiB).
std::pair<bool, double> AnalyzeInChild(const std::string& path,
                                       const std::function<bool(const WadNeeds&)>& check) {
  const pid_t pid = fork();
  if (pid == 0) _exit(check(AnalyzeWadFile(path)) ? 0 : 1);
  int status = 0;
  rusage usage{};
  EXPECT_EQ(wait4(pid, &status, 0, &usage), pid);
  EXPECT_TRUE(WIFEXITED(status)) << "the analysis crashed: " << status;
  return {WIFEXITED(status) && WEXITSTATUS(status) == 0, usage.ru_maxrss / 1024.0};
}

TEST(WadAnalysis, DescribesHostileFilesInBoundedMemory) {
  const test::ScratchFolder folder;
  // One line of 100 MB: a namespace, then vertices without end.
  const auto writeLongTextmap = [](const std::string& path) {
    std::string vertices;
    while (vertices.size() < (1u << 20)) vertices += "vertex{x=0;y=0;}";
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t size = 17 + 100 * vertices.size();
    out << test::MakeHeader("PWAD", 3, static_cast<std::int32_t>(12 + size))
        << "namespace=\"doom\";";
    for (int i = 0; i < 100; ++i) out << vertices;
    out << test::MakeEntry(12, 0, "MAP01\0\0\0") << test::MakeEntry(12, size, "TEXTMAP\0")
        << test::MakeEntry(12, 0, "ENDMAP\0\0");
    return static_cast<double>(size) / (1 << 20);
  };
  struct Case {
    const char* name;
    std::function<double(const std::string& path)> write;  // the MiB of lumps read
    std::function<bool(const WadNeeds&)> check = Described;
  };
  const auto bytes = [](std::string data) {
    return [data](const std::string& path) {
      test::WriteBytes(path, data);
      return 0.0;
    };
  };
  const Case cases[] = {
      {"2^31-1 lumps declared", bytes(test::MakeHeader("PWAD", 0x7FFFFFFF, 12))},
      {"a lump past the end",
       bytes(test::MakeHeader(
           "PWAD", 2, 12,
           test::MakeEntry(0, 0, "MAP01\0\0\0") + test::MakeEntry(4, 1 << 30, "TEXTMAP\0")))},
      {"a TEXTMAP of 100 MB on one line", writeLongTextmap,
       [](const WadNeeds& w) {
         return w.maps.size() == 1 && w.maps[0].vertices == 100 * 65536 && !w.maps[0].player1Start;
       }},
      {"a UMAPINFO of a million open braces",
       bytes(MakeWad("PWAD", Join({Room(), {{"UMAPINFO", std::string(1 << 20, '{')}}})))},
      {"a UMAPINFO closing more than it opens",
       bytes(MakeWad("PWAD", Join({Room(), {{"UMAPINFO", "map MAP01 { } } } levelname"}}})))},
  };
  const std::string plain = folder.File("plain.wad");
  test::WriteBytes(plain, MakeWad("PWAD", Room()));
  [[maybe_unused]] const double baseline =
      AnalyzeInChild(plain, [](const WadNeeds& w) { return w.Ok(); }).second;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.File("hostile.wad");
    [[maybe_unused]] const double lumps = c.write(path);
    [[maybe_unused]] const auto [described, peak] = AnalyzeInChild(path, c.check);
    EXPECT_TRUE(described);
    // The lump's bytes, what is read of them, and a margin for the directory and allocator.
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer's shadow and quarantine are no one's lumps
    EXPECT_LT(peak - baseline, 3 * lumps + 64) << "peak " << peak << " MiB";
#endif
    std::filesystem::remove(path);
  }
}

TEST(MapInfoText, ReadsComplevelsAndDehackedKinds) {
  const std::pair<const char*, int> levels[] = {{"vanilla", 2}, {" Boom\r\n", 9}, {"mbf", 11},
                                                {"MBF21", 21},  {"zdoom", -1},    {"", -1}};
  for (const auto& [text, level] : levels) EXPECT_EQ(ComplevelFromLump(text), level) << text;

  EXPECT_TRUE(ReadDehackedKind("Thing 1\nMBF21 Bits = 4\n").mbf21);
  EXPECT_TRUE(ReadDehackedKind("Thing 300\nID # = 5000\n").newThings);
  EXPECT_FALSE(ReadDehackedKind("Thing 1\nHit points = 5\n").bex);
  EXPECT_EQ(ReadEMapinfoTitles("[MAP02]\nlevelname = Two\n").titles.at(0).title, "Two");
  EXPECT_EQ(ReadZMapinfoTitles("map map03 \"Three\" { next = MAP04 }").titles.at(0).map, "MAP03");
}

}  // namespace
}  // namespace quillon::wad
