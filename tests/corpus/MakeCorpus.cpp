// Writes the corpus of small WADs `make verdicts` starts in the real ports: one feature each,
// the same square room throughout, nodes built with Debian's zdbsp where the case wants them.
// Usage: quillon_corpus FOLDER [ZDBSP]; prints each file's name and what it holds.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "support/WadWriter.h"

namespace {

using quillon::test::BinaryMap;
using quillon::test::Join;
using quillon::test::MakeWad;
using quillon::test::SquareRoom;
using quillon::test::TestLump;
using quillon::test::TestMapSpec;
using quillon::test::UdmfText;

void Put16(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

// The room in Hexen's format: 16-byte lines with five arguments, 20-byte things with a
// height and arguments, and an empty compiled script as BEHAVIOR.
std::vector<TestLump> HexenMap(const std::string& marker, const TestMapSpec& spec) {
  std::vector<TestLump> lumps = BinaryMap(marker, spec);
  std::string things;
  for (const auto& t : spec.things) {
    for (int v : {0, t.x, t.y, 0, t.angle, t.type, t.flags | 0x700}) Put16(things, v);
    things += std::string(6, '\0');  // special and five arguments
  }
  std::string lines;
  for (const auto& l : spec.lines) {
    for (int v : {l.v1, l.v2, l.flags}) Put16(lines, v);
    lines += std::string(6, '\0');  // special and five arguments
    Put16(lines, l.front);
    Put16(lines, l.back);
  }
  for (TestLump& lump : lumps) {
    if (lump.name == "THINGS") lump.data = things;
    if (lump.name == "LINEDEFS") lump.data = lines;
  }
  lumps.push_back({"BEHAVIOR", std::string("ACS\0\x08\0\0\0\0\0\0\0", 12)});
  return lumps;
}

// A room whose south wall is cut into `pieces` lines, so the map holds that many sidedefs,
// linedefs and vertices (and segs, once built).
TestMapSpec LongRoom(int pieces) {
  TestMapSpec spec;
  const int left = -16000;
  const int step = 32000 / pieces > 0 ? 32000 / pieces : 1;
  const int right = left + step * pieces;
  // Clockwise: west wall up, north wall east, east wall down, then the south wall west.
  spec.vertices = {{left, 0}, {left, 512}, {right, 512}};
  for (int i = pieces; i >= 0; --i) spec.vertices.push_back({left + step * i, 0});
  const int count = static_cast<int>(spec.vertices.size());
  for (int i = 0; i < count; ++i) {
    const int next = (i + 1) % count;
    if (spec.vertices[i].x == spec.vertices[next].x &&
        spec.vertices[i].y == spec.vertices[next].y) {
      continue;
    }
    spec.lines.push_back({i, next, static_cast<int>(spec.lines.size())});
  }
  spec.sides.resize(spec.lines.size());
  spec.sectors.resize(1);
  spec.things = {{right - 256, 256, 0, 1, 7}};
  return spec;
}

struct Case {
  const char* name;
  const char* holds;
  std::vector<TestLump> lumps;
  const char* zdbsp;          // its options, or nullptr to leave the map without nodes
  const char* raw = nullptr;  // bytes written as they are (not a WAD)
};

std::vector<TestLump> Udmf(const std::string& ns, const TestMapSpec& spec) {
  return {{"MAP01", ""}, {"TEXTMAP", UdmfText(spec, ns)}, {"ENDMAP", ""}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: quillon_corpus FOLDER [ZDBSP]\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const std::string zdbsp = argc > 2 ? argv[2] : "/usr/bin/zdbsp";
  std::filesystem::create_directories(folder);

  const TestMapSpec room = SquareRoom(512);
  TestMapSpec boom = room;
  boom.lines[2].special = 0x3C01;  // generalized floor, W1, raise to the next floor
  boom.lines[2].tag = 1;
  boom.sectors[0].tag = 1;
  TestMapSpec mbf21 = room;
  mbf21.lines[2].flags |= 0x2000;  // MBF21's "block players"
  TestMapSpec missingTexture = room;
  missingTexture.sides[2].middle = "WALL42";
  TestMapSpec missingFlat = room;
  missingFlat.sectors[0].floor = "FLAT42";
  TestMapSpec noPlayer = room;
  noPlayer.things[0].type = 2;  // player 2's start only
  TestMapSpec unknownThing = room;
  unknownThing.things.push_back({320, 256, 0, 4242, 7});
  const std::string umapinfo = "map MAP01\n{\n  levelname = \"Quillon Test Room\"\n}\n";
  const std::string brokenUmapinfo = "map MAP01\n{\n  levelname = \"Quillon Test Room\"\n";
  const std::string dehacked =
      "Patch File for DeHackEd v3.0\nDoom version = 19\nPatch format = 6\n\n"
      "Thing 1 (Player)\nInitial health = 200\n";

  std::vector<Case> cases;
  cases.push_back({"good", "a Doom map with classic nodes", BinaryMap("MAP01", room), ""});
  cases.push_back({"nonodes", "a Doom map without nodes", BinaryMap("MAP01", room), nullptr});
  cases.push_back({"xnod", "extended nodes (XNOD)", BinaryMap("MAP01", room), "-X"});
  cases.push_back({"znod", "compressed nodes (ZNOD)", BinaryMap("MAP01", room), "-z"});
  cases.push_back({"glonly", "GL nodes only", BinaryMap("MAP01", room), "-x"});
  cases.push_back({"hexen", "a Hexen format map", HexenMap("MAP01", room), ""});
  cases.push_back({"udmf-zdoom", "UDMF, namespace zdoom", Udmf("zdoom", room), "-z"});
  cases.push_back({"udmf-doom", "UDMF, namespace doom", Udmf("doom", room), "-z"});
  cases.push_back({"boom", "a Boom generalized line", BinaryMap("MAP01", boom), ""});
  cases.push_back({"mbf21", "an MBF21 line flag", BinaryMap("MAP01", mbf21), ""});
  cases.push_back({"missingtex", "a texture no file has", BinaryMap("MAP01", missingTexture), ""});
  cases.push_back({"missingflat", "a flat no file has", BinaryMap("MAP01", missingFlat), ""});
  cases.push_back({"noplayer", "no player 1 start", BinaryMap("MAP01", noPlayer), ""});
  cases.push_back({"unknownthing", "a thing of type 4242", BinaryMap("MAP01", unknownThing), ""});
  cases.push_back({"umapinfo", "a UMAPINFO giving a title",
                   Join({BinaryMap("MAP01", room), {{"UMAPINFO", umapinfo}}}), ""});
  cases.push_back({"umapinfo-broken", "a UMAPINFO with an unclosed brace",
                   Join({BinaryMap("MAP01", room), {{"UMAPINFO", brokenUmapinfo}}}), ""});
  cases.push_back({"dehacked", "a DEHACKED lump",
                   Join({BinaryMap("MAP01", room), {{"DEHACKED", dehacked}}}), ""});
  cases.push_back({"limits", "40 000 sidedefs", BinaryMap("MAP01", LongRoom(40000)), ""});
  cases.push_back({"notawad", "not a WAD", {}, nullptr, "This is not a WAD file.\n"});

  int failed = 0;
  for (const Case& c : cases) {
    const std::filesystem::path out = folder / (std::string(c.name) + ".wad");
    if (c.raw != nullptr) {
      quillon::test::WriteBytes(out, c.raw);
    } else if (c.zdbsp == nullptr) {
      quillon::test::WriteBytes(out, MakeWad("PWAD", c.lumps));
    } else {
      const std::filesystem::path source = folder / (std::string(c.name) + ".src");
      quillon::test::WriteBytes(source, MakeWad("PWAD", c.lumps));
      const std::string command = zdbsp + " -t " + c.zdbsp + " -o '" + out.string() + "' '" +
                                  source.string() + "' > /dev/null 2>&1";
      if (std::system(command.c_str()) != 0) {
        std::cerr << "zdbsp failed on " << c.name << "\n";
        ++failed;
      } else {
        std::filesystem::remove(source);
      }
    }
    std::cout << c.name << ".wad\t" << c.holds << "\n";
  }
  return failed == 0 ? 0 : 1;
}
