#include "support/WadWriter.h"

#include <fstream>
#include <random>
#include <stdexcept>

namespace quillon::test {

namespace {

void PutInt32(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out += static_cast<char>((bits >> (8 * i)) & 0xff);
}

}  // namespace

std::string MakeHeader(std::string_view magic, std::int32_t count, std::int32_t offset,
                       std::string_view rest) {
  std::string out(magic);
  PutInt32(out, count);
  PutInt32(out, offset);
  out += rest;
  return out;
}

std::string MakeEntry(std::int32_t offset, std::int32_t size, std::string_view name8) {
  std::string out;
  PutInt32(out, offset);
  PutInt32(out, size);
  out += name8;
  out.resize(16, '\0');
  return out;
}

std::string MakeWad(std::string_view magic, const std::vector<TestLump>& lumps) {
  std::string data;
  std::string directory;
  for (const TestLump& lump : lumps) {
    const auto offset = static_cast<std::int32_t>(12 + data.size());
    directory += MakeEntry(lump.data.empty() ? 0 : offset,
                           static_cast<std::int32_t>(lump.data.size()), lump.name.substr(0, 8));
    data += lump.data;
  }
  return MakeHeader(magic, static_cast<std::int32_t>(lumps.size()),
                    static_cast<std::int32_t>(12 + data.size()), data + directory);
}

std::vector<TestLump> DoomMap(std::string marker, bool hexen) {
  std::vector<TestLump> lumps = {{std::move(marker), ""}};
  for (const char* name : {"THINGS", "LINEDEFS", "SIDEDEFS", "VERTEXES", "SEGS", "SSECTORS",
                           "NODES", "SECTORS", "REJECT", "BLOCKMAP"}) {
    lumps.push_back({name, std::string(name) + " data"});
  }
  if (hexen) lumps.push_back({"BEHAVIOR", "ACS\0"});
  return lumps;
}

std::vector<TestLump> UdmfMap(std::string marker) {
  return {{std::move(marker), ""},
          {"TEXTMAP", "namespace = \"zdoom\";\nthing { x = 0; y = 0; type = 1; }\n"},
          {"ENDMAP", ""}};
}

TestMapLayout SquareRoom(int size) {
  TestMapLayout layout;
  layout.vertices = {{0, 0}, {0, size}, {size, size}, {size, 0}};
  layout.lines = {{0, 1, 0}, {1, 2, 1}, {2, 3, 2}, {3, 0, 3}};
  layout.sides.resize(4);
  layout.sectors.resize(1);
  layout.things = {{size / 2, size / 2, 0, 1, 7}};
  return layout;
}

namespace {

void Put16(std::string& out, int value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put8Name(std::string& out, std::string_view name) {
  std::string padded(name.substr(0, 8));
  padded.resize(8, '\0');
  out += padded;
}

}  // namespace

std::vector<TestLump> BinaryMap(std::string marker, const TestMapLayout& layout) {
  std::string things;
  for (const auto& t : layout.things) {
    for (int v : {t.x, t.y, t.angle, t.type, t.flags}) Put16(things, v);
  }
  std::string lines;
  for (const auto& l : layout.lines) {
    for (int v : {l.v1, l.v2, l.flags, l.special, l.tag, l.front, l.back}) Put16(lines, v);
  }
  std::string sides;
  for (const auto& s : layout.sides) {
    Put16(sides, 0);
    Put16(sides, 0);
    Put8Name(sides, s.upper);
    Put8Name(sides, s.lower);
    Put8Name(sides, s.middle);
    Put16(sides, s.sector);
  }
  std::string vertices;
  for (const auto& v : layout.vertices) {
    Put16(vertices, v.x);
    Put16(vertices, v.y);
  }
  std::string sectors;
  for (const auto& s : layout.sectors) {
    Put16(sectors, s.floorHeight);
    Put16(sectors, s.ceilingHeight);
    Put8Name(sectors, s.floor);
    Put8Name(sectors, s.ceiling);
    for (int v : {s.light, s.special, s.tag}) Put16(sectors, v);
  }
  return {{std::move(marker), ""}, {"THINGS", things}, {"LINEDEFS", lines}, {"SIDEDEFS", sides},
          {"VERTEXES", vertices},  {"SEGS", ""},       {"SSECTORS", ""},    {"NODES", ""},
          {"SECTORS", sectors},    {"REJECT", ""},     {"BLOCKMAP", ""}};
}

std::string UdmfText(const TestMapLayout& layout, std::string_view ns) {
  std::string out = "namespace = \"" + std::string(ns) + "\";\n";
  const auto field = [&](const char* key, const std::string& value) {
    out += "  " + std::string(key) + " = " + value + ";\n";
  };
  const auto quoted = [](const std::string& text) { return "\"" + text + "\""; };
  for (const auto& v : layout.vertices) {
    out += "vertex {\n";
    field("x", std::to_string(v.x) + ".0");
    field("y", std::to_string(v.y) + ".0");
    out += "}\n";
  }
  for (const auto& l : layout.lines) {
    out += "linedef {\n";
    field("v1", std::to_string(l.v1));
    field("v2", std::to_string(l.v2));
    field("sidefront", std::to_string(l.front));
    if (l.back >= 0) field("sideback", std::to_string(l.back));
    if (l.special != 0) field("special", std::to_string(l.special));
    if (l.tag != 0) field("id", std::to_string(l.tag));
    out += "}\n";
  }
  for (const auto& s : layout.sides) {
    out += "sidedef {\n";
    if (s.upper != "-") field("texturetop", quoted(s.upper));
    if (s.lower != "-") field("texturebottom", quoted(s.lower));
    if (s.middle != "-") field("texturemiddle", quoted(s.middle));
    field("sector", std::to_string(s.sector));
    out += "}\n";
  }
  for (const auto& s : layout.sectors) {
    out += "sector {\n";
    field("heightfloor", std::to_string(s.floorHeight));
    field("heightceiling", std::to_string(s.ceilingHeight));
    field("texturefloor", quoted(s.floor));
    field("textureceiling", quoted(s.ceiling));
    field("lightlevel", std::to_string(s.light));
    out += "}\n";
  }
  for (const auto& t : layout.things) {
    out += "thing {\n";
    field("x", std::to_string(t.x) + ".0");
    field("y", std::to_string(t.y) + ".0");
    field("angle", std::to_string(t.angle));
    field("type", std::to_string(t.type));
    for (const char* skill : {"skill1", "skill2", "skill3", "skill4", "skill5"}) {
      field(skill, "true");
    }
    field("single", "true");
    out += "}\n";
  }
  return out;
}

std::vector<TestLump> Join(std::initializer_list<std::vector<TestLump>> parts) {
  std::vector<TestLump> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

ScratchFolder::ScratchFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = std::filesystem::temp_directory_path() /
            ("quillon-wad-" + std::to_string(random()) + std::to_string(attempt));
    if (std::filesystem::create_directory(path_)) return;
  }
  throw std::runtime_error("no scratch folder");
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

}  // namespace quillon::test
