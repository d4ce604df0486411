// Writes the corpus of small WADs `make verdicts` starts in the real ports: one feature each,
// the same square room throughout, nodes built with Debian's zdbsp (or glbsp) where the case
// wants them. Usage: quillon_corpus FOLDER [ZDBSP [GLBSP]]; prints each file's name and what
// it holds, a tab between.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>

#include "support/WadWriter.h"

namespace {

using quillon::test::BinaryMap;
using quillon::test::Join;
using quillon::test::MakeWad;
using quillon::test::SquareRoom;
using quillon::test::TestLump;
using quillon::test::TestMapLayout;
using quillon::test::UdmfText;

void Put16(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

// The room in Hexen's format: 16-byte lines with five arguments, 20-byte things with a
// height and arguments, and an empty compiled script as BEHAVIOR.
std::vector<TestLump> HexenMap(const std::string& marker, const TestMapLayout& layout) {
  std::vector<TestLump> lumps = BinaryMap(marker, layout);
  std::string things;
  for (const auto& t : layout.things) {
    for (int v : {0, t.x, t.y, 0, t.angle, t.type, t.flags | 0x700}) Put16(things, v);
    things += std::string(6, '\0');  // special and five arguments
  }
  std::string lines;
  for (const auto& l : layout.lines) {
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
TestMapLayout LongRoom(int pieces) {
  TestMapLayout layout;
  const int left = -16000;
  const int step = 32000 / pieces > 0 ? 32000 / pieces : 1;
  const int right = left + step * pieces;
  // Clockwise: west wall up, north wall east, east wall down, then the south wall west.
  layout.vertices = {{left, 0}, {left, 512}, {right, 512}};
  for (int i = pieces; i >= 0; --i) layout.vertices.push_back({left + step * i, 0});
  const int count = static_cast<int>(layout.vertices.size());
  for (int i = 0; i < count; ++i) {
    const int next = (i + 1) % count;
    if (layout.vertices[i].x == layout.vertices[next].x &&
        layout.vertices[i].y == layout.vertices[next].y) {
      continue;
    }
    layout.lines.push_back({i, next, static_cast<int>(layout.lines.size())});
  }
  layout.sides.resize(layout.lines.size());
  layout.sectors.resize(1);
  layout.things = {{right - 256, 256, 0, 1, 7}};
  return layout;
}

struct Case {
  const char* name;
  const char* holds;
  std::vector<TestLump> lumps;
  const char* zdbsp;          // its options, or nullptr to leave the map without nodes
  const char* raw = nullptr;  // bytes written as they are (not a WAD)
  bool glbsp = false;         // nodes by glbsp (its defaults) instead of zdbsp
  // Damage done to the finished file's bytes (a broken directory).
  std::function<void(std::string&)> damage = nullptr;
};

void Put32At(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The directory entry of the first lump called `name`, or npos.
std::size_t EntryOf(const std::string& bytes, const char* name) {
  const auto word = [&](std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
  };
  const std::uint32_t count = word(4);
  const std::uint32_t offset = word(8);
  for (std::uint32_t i = 0; i < count && offset + i * 16 + 16 <= bytes.size(); ++i) {
    const std::size_t at = offset + i * 16;
    if (std::strncmp(bytes.data() + at + 8, name, 8) == 0) return at;
  }
  return std::string::npos;
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<TestLump> Udmf(const std::string& ns, const TestMapLayout& layout) {
  return {{"MAP01", ""}, {"TEXTMAP", UdmfText(layout, ns)}, {"ENDMAP", ""}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: quillon_corpus FOLDER [ZDBSP]\n";
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const std::string zdbsp = argc > 2 ? argv[2] : "/usr/bin/zdbsp";
  const std::string glbsp = argc > 3 ? argv[3] : "/usr/bin/glbsp";
  std::filesystem::create_directories(folder);

  const TestMapLayout room = SquareRoom(512);
  TestMapLayout boom = room;
  boom.lines[2].special = 0x3C01;  // generalized floor, W1, raise to the next floor
  boom.lines[2].tag = 1;
  boom.sectors[0].tag = 1;
  TestMapLayout mbf21 = room;
  mbf21.lines[2].flags |= 0x2000;  // MBF21's "block players"
  TestMapLayout missingTexture = room;
  missingTexture.sides[2].middle = "WALL42";
  TestMapLayout missingFlat = room;
  missingFlat.sectors[0].floor = "FLAT42";
  TestMapLayout noPlayer = room;
  noPlayer.things[0].type = 2;  // player 2's start only
  TestMapLayout unknownThing = room;
  unknownThing.things.push_back({320, 256, 0, 4242, 7});
  const std::string umapinfo = "map MAP01\n{\n  levelname = \"Quillon Test Room\"\n}\n";
  const std::string titles =
      "map MAP01 { levelname = \"Quillon Test Room\" }\n"
      "map MAP02 { levelname = \"The Second Room\" }\n"
      "map MAP03 { levelname = \"Dead Simple Copy\" }\n";
  const std::string brokenUmapinfo = "map MAP01\n{\n  levelname = \"Quillon Test Room\"\n";
  const std::string dehacked =
      "Patch File for DeHackEd v3.0\nDoom version = 19\nPatch format = 6\n\n"
      "Thing 1 (Player)\nInitial health = 200\n";
  const std::string bex = dehacked + "\n[STRINGS]\nHUSTR_1 = Quillon Test Room\n";
  const std::string mbf21Dehacked =
      "Patch File for DeHackEd v3.0\nDoom version = 2021\nPatch format = 6\n\n"
      "Thing 12 (Imp)\nMBF21 Bits = HIGHERMPROB\n";
  const std::string mapinfo = "map MAP01 \"Quillon Test Room\"\n{\n  sky1 = \"SKY1\"\n}\n";
  // Boom's ANIMATED: one animated flat (type 0, last and first frame, each 9 bytes with its
  // padding, 8 tics), then the terminating 0xFF.
  std::string animated(std::string("\0NUKAGE3\0\0NUKAGE1\0\0\x08\0\0\0", 23));
  animated += '\xFF';

  std::vector<Case> cases;
  cases.push_back({"good", "a Doom map with classic nodes", BinaryMap("MAP01", room), ""});
  cases.push_back({"nonodes", "a Doom map without nodes", BinaryMap("MAP01", room), nullptr});
  cases.push_back({"xnod", "extended nodes (XNOD)", BinaryMap("MAP01", room), "-X"});
  cases.push_back({"znod", "compressed nodes (ZNOD)", BinaryMap("MAP01", room), "-z"});
  cases.push_back({"glonly", "GL nodes only", BinaryMap("MAP01", room), "-x"});
  cases.push_back(
      {"glbsp", "classic and GL nodes by glbsp", BinaryMap("MAP01", room), "", nullptr, true});
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
  cases.push_back({"dehacked-bex", "a DEHACKED lump with a BEX section",
                   Join({BinaryMap("MAP01", room), {{"DEHACKED", bex}}}), ""});
  cases.push_back({"dehacked-mbf21", "a DEHACKED lump with MBF21 fields",
                   Join({BinaryMap("MAP01", room), {{"DEHACKED", mbf21Dehacked}}}), ""});
  cases.push_back({"mapinfo", "a ZDoom MAPINFO giving a title",
                   Join({BinaryMap("MAP01", room), {{"MAPINFO", mapinfo}}}), ""});
  cases.push_back({"animated", "Boom's ANIMATED lump",
                   Join({BinaryMap("MAP01", room), {{"ANIMATED", animated}}}), ""});
  cases.push_back({"titled", "three maps titled by UMAPINFO, extended nodes",
                   Join({BinaryMap("MAP01", room),
                         BinaryMap("MAP02", room),
                         BinaryMap("MAP03", room),
                         {{"UMAPINFO", titles}}}),
                   "-X"});
  cases.push_back({"limits", "40 000 sidedefs", BinaryMap("MAP01", LongRoom(40000)), ""});
  cases.push_back({"notawad", "not a WAD", {}, nullptr, "This is not a WAD file.\n"});
  cases.push_back({"pastend", "its SIDEDEFS lump runs past the end of the file",
                   BinaryMap("MAP01", room), "", nullptr, false, [](std::string& bytes) {
                     const std::size_t at = EntryOf(bytes, "SIDEDEFS");
                     if (at != std::string::npos) Put32At(bytes, at + 4, 1u << 20);
                   }});
  cases.push_back({"hugecount", "a header declaring 2^31-1 lumps", BinaryMap("MAP01", room), "",
                   nullptr, false, [](std::string& bytes) { Put32At(bytes, 4, 0x7FFFFFFFu); }});

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
      // glbsp takes its input before -o (man glbsp), zdbsp after.
      const std::string from = "'" + source.string() + "'";
      const std::string to = "-o '" + out.string() + "'";
      const std::string command = (c.glbsp ? glbsp + " -q " + from + " " + to
                                           : zdbsp + " -t " + c.zdbsp + " " + to + " " + from) +
                                  " > /dev/null 2>&1";
      if (std::system(command.c_str()) != 0) {
        std::cerr << (c.glbsp ? "glbsp" : "zdbsp") << " failed on " << c.name << "\n";
        ++failed;
      } else {
        std::filesystem::remove(source);
      }
    }
    if (c.damage != nullptr) {
      std::string bytes = ReadAll(out);
      c.damage(bytes);
      quillon::test::WriteBytes(out, bytes);
    }
    std::cout << c.name << ".wad\t" << c.holds << "\n";
  }
  return failed == 0 ? 0 : 1;
}
