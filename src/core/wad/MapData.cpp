#include "core/wad/MapData.h"

#include <algorithm>
#include <charconv>
#include <exception>

#include "core/files/PathHelpers.h"
#include "core/wad/MapNames.h"
#include "core/wad/Udmf.h"

namespace quillon::wad {

namespace {

constexpr std::string_view kBinaryMapLumps[] = {"THINGS", "LINEDEFS", "SIDEDEFS", "VERTEXES",
                                                "SEGS",   "SSECTORS", "NODES",    "SECTORS",
                                                "REJECT", "BLOCKMAP", "BEHAVIOR", "SCRIPTS"};

bool IsBinaryMapLump(std::string_view upperName) {
  return std::find(std::begin(kBinaryMapLumps), std::end(kBinaryMapLumps), upperName) !=
         std::end(kBinaryMapLumps);
}

std::int32_t Int16(const char* bytes) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(
      static_cast<unsigned char>(bytes[0]) | (static_cast<unsigned char>(bytes[1]) << 8)));
}

std::uint32_t Uint16(const char* bytes) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[0]) |
                                    (static_cast<unsigned char>(bytes[1]) << 8));
}

std::uint32_t Uint8(const char* bytes) {
  return static_cast<unsigned char>(bytes[0]);
}

std::string Name8(const char* bytes) {
  const char* end = std::find(bytes, bytes + 8, '\0');
  return AsciiUpper(std::string_view(bytes, static_cast<std::size_t>(end - bytes)));
}

// 0xFFFF is "no side" in the binary formats.
std::int64_t SideIndex(std::uint32_t stored) {
  return stored == 0xFFFF ? kNoSide : static_cast<std::int64_t>(stored);
}

const Lump* FindLump(const std::vector<Lump>& lumps, std::string_view upperName) {
  for (const Lump& lump : lumps) {
    if (AsciiUpper(lump.name) == upperName) return &lump;
  }
  return nullptr;
}

class MapBuilder {
 public:
  MapBuilder(WadSource& source, MapData& map) : source_(source), map_(map) {}

  // The lump's bytes, or empty when it is missing; a lump too large or unreadable is a
  // problem noted, and read as empty.
  bool Bytes(std::string_view name, std::string& out) {
    out.clear();
    const Lump* lump = FindLump(map_.lumps, name);
    if (lump == nullptr) return false;
    if (lump->size > kMaxMapLumpBytes) {
      Problem(std::string(name) + " is " + std::to_string(lump->size) + " bytes, more than the " +
              std::to_string(kMaxMapLumpBytes >> 20) + " MiB Quillon reads of one lump");
      return false;
    }
    if (!ReadLump(source_, *lump, out)) {
      Problem(std::string(name) + " could not be read");
      out.clear();
      return false;
    }
    return true;
  }

  // The number of whole records of `size` bytes, noting a lump that has a part record.
  std::size_t Records(std::string_view name, const std::string& bytes, std::size_t size) {
    if (bytes.size() % size != 0) {
      Problem(std::string(name) + " is " + std::to_string(bytes.size()) +
              " bytes, not a multiple of its " + std::to_string(size) + "-byte records");
    }
    return bytes.size() / size;
  }

  std::uint64_t OffsetOf(std::string_view name) const {
    const Lump* lump = FindLump(map_.lumps, name);
    return lump == nullptr ? 0 : lump->offset;
  }

  void Problem(std::string text) { map_.problems.push_back(std::move(text)); }

  void ReadBinary() {
    const bool hexen = map_.format == MapFormat::kHexen;
    std::string bytes;
    Bytes("VERTEXES", bytes);
    map_.vertices.resize(Records("VERTEXES", bytes, 4));
    for (std::size_t i = 0; i < map_.vertices.size(); ++i) {
      const char* r = bytes.data() + i * 4;
      map_.vertices[i] = {static_cast<double>(Int16(r)), static_cast<double>(Int16(r + 2))};
    }

    Bytes("LINEDEFS", bytes);
    const std::size_t lineSize = hexen ? 16 : 14;
    map_.lines.resize(Records("LINEDEFS", bytes, lineSize));
    for (std::size_t i = 0; i < map_.lines.size(); ++i) {
      const char* r = bytes.data() + i * lineSize;
      MapLine& line = map_.lines[i];
      line.v1 = Uint16(r);
      line.v2 = Uint16(r + 2);
      line.flags = Uint16(r + 4);
      if (hexen) {
        line.special = static_cast<std::int32_t>(Uint8(r + 6));
        for (std::size_t a = 0; a < 5; ++a) {
          line.args[a] = static_cast<std::int32_t>(Uint8(r + 7 + a));
        }
        line.front = SideIndex(Uint16(r + 12));
        line.back = SideIndex(Uint16(r + 14));
      } else {
        line.special = static_cast<std::int32_t>(Uint16(r + 6));
        line.tag = Int16(r + 8);
        line.front = SideIndex(Uint16(r + 10));
        line.back = SideIndex(Uint16(r + 12));
      }
    }

    Bytes("SIDEDEFS", bytes);
    map_.sides.resize(Records("SIDEDEFS", bytes, 30));
    for (std::size_t i = 0; i < map_.sides.size(); ++i) {
      const char* r = bytes.data() + i * 30;
      map_.sides[i] = {Name8(r + 4), Name8(r + 12), Name8(r + 20), Uint16(r + 28)};
    }

    Bytes("SECTORS", bytes);
    map_.sectors.resize(Records("SECTORS", bytes, 26));
    for (std::size_t i = 0; i < map_.sectors.size(); ++i) {
      const char* r = bytes.data() + i * 26;
      map_.sectors[i] = {Name8(r + 4), Name8(r + 12), Int16(r + 22), Int16(r + 24)};
    }

    Bytes("THINGS", bytes);
    const std::size_t thingSize = hexen ? 20 : 10;
    const std::uint64_t thingsAt = OffsetOf("THINGS");
    map_.things.resize(Records("THINGS", bytes, thingSize));
    for (std::size_t i = 0; i < map_.things.size(); ++i) {
      const char* r = bytes.data() + i * thingSize;
      MapThing& thing = map_.things[i];
      const char* at = hexen ? r + 2 : r;
      thing.x = Int16(at);
      thing.y = Int16(at + 2);
      at += hexen ? 6 : 4;  // Hexen has a height between the position and the angle
      thing.angle = Int16(at);
      thing.type = static_cast<std::int32_t>(Uint16(at + 2));
      thing.flags = Uint16(at + 4);
      thing.fileOffset = thingsAt + i * thingSize;
      thing.fileEnd = thing.fileOffset + thingSize;
    }
    ReadNodes();
  }

  void ReadNodes() {
    std::string nodes;
    std::string subsectors;
    Bytes("NODES", nodes);
    Bytes("SSECTORS", subsectors);
    const auto signature = [](const std::string& bytes) {
      return bytes.size() >= 4 ? bytes.substr(0, 4) : std::string();
    };
    for (const std::string* lump : {&nodes, &subsectors}) {
      const std::string sig = signature(*lump);
      if (sig == "XNOD" || sig == "XGLN" || sig == "XGL2" || sig == "XGL3") {
        map_.nodes = NodeFormat::kExtended;
        map_.nodeSignature = sig;
        return;
      }
      if (sig == "ZNOD" || sig == "ZGLN" || sig == "ZGL2" || sig == "ZGL3") {
        map_.nodes = NodeFormat::kCompressed;
        map_.nodeSignature = sig;
        return;
      }
    }
    // A map of one convex sector has a single subsector and no node at all.
    if (!nodes.empty() || !subsectors.empty()) {
      map_.nodes = NodeFormat::kClassic;
      ReadClassicNodes(nodes, subsectors);
      return;
    }
    map_.nodes = hasGlNodes_ ? NodeFormat::kGlOnly : NodeFormat::kNone;
  }

  void ReadClassicNodes(const std::string& nodes, const std::string& subsectors) {
    map_.bspNodes.resize(Records("NODES", nodes, 28));
    for (std::size_t i = 0; i < map_.bspNodes.size(); ++i) {
      const char* r = nodes.data() + i * 28;
      map_.bspNodes[i] = {static_cast<double>(Int16(r)),
                          static_cast<double>(Int16(r + 2)),
                          static_cast<double>(Int16(r + 4)),
                          static_cast<double>(Int16(r + 6)),
                          {Uint16(r + 24), Uint16(r + 26)}};
    }
    std::string segs;
    Bytes("SEGS", segs);
    const std::size_t segCount = Records("SEGS", segs, 12);
    map_.subsectorSector.assign(Records("SSECTORS", subsectors, 4), -1);
    for (std::size_t i = 0; i < map_.subsectorSector.size(); ++i) {
      const std::uint32_t first = Uint16(subsectors.data() + i * 4 + 2);
      if (first >= segCount) continue;
      const char* seg = segs.data() + first * 12;
      const std::uint32_t lineIndex = Uint16(seg + 6);
      if (lineIndex >= map_.lines.size()) continue;
      const MapLine& line = map_.lines[lineIndex];
      const std::int64_t side = Int16(seg + 8) == 0 ? line.front : line.back;
      if (side >= 0 && static_cast<std::size_t>(side) < map_.sides.size()) {
        map_.subsectorSector[i] = map_.sides[static_cast<std::size_t>(side)].sector;
      }
    }
  }

  void ReadText() {
    std::string text;
    Bytes("TEXTMAP", text);
    const std::uint64_t textAt = OffsetOf("TEXTMAP");
    const UdmfResult read = ReadUdmf(
        text,
        [&](const UdmfField& field) {
          if (field.key == "namespace") map_.udmfNamespace = AsciiLower(field.value);
        },
        [&](const UdmfBlock& block) { AddBlock(block, textAt); });
    if (!read.ok) Problem("TEXTMAP: " + read.error);
    std::string znodes;
    if (Bytes("ZNODES", znodes)) {
      const std::string sig = znodes.substr(0, std::min<std::size_t>(4, znodes.size()));
      map_.nodeSignature = sig;
      map_.nodes = sig.starts_with('Z')   ? NodeFormat::kCompressed
                   : sig.starts_with('X') ? NodeFormat::kExtended
                                          : NodeFormat::kUdmfZnodes;
    }
  }

  void AddBlock(const UdmfBlock& block, std::uint64_t textAt) {
    if (block.type == "vertex") {
      map_.vertices.push_back({Number(block.Value("x")), Number(block.Value("y"))});
    } else if (block.type == "linedef") {
      MapLine line;
      line.v1 = Integer(block.Value("v1", "-1"));
      line.v2 = Integer(block.Value("v2", "-1"));
      line.front = Integer(block.Value("sidefront", "-1"));
      line.back = Integer(block.Value("sideback", "-1"));
      line.special = static_cast<std::int32_t>(Integer(block.Value("special", "0")));
      line.tag = static_cast<std::int32_t>(Integer(block.Value("id", "0")));
      for (std::size_t a = 0; a < 5; ++a) {
        line.args[a] =
            static_cast<std::int32_t>(Integer(block.Value("arg" + std::to_string(a), "0")));
      }
      map_.lines.push_back(line);
    } else if (block.type == "sidedef") {
      map_.sides.push_back({AsciiUpper(block.Value("texturetop", "-")),
                            AsciiUpper(block.Value("texturebottom", "-")),
                            AsciiUpper(block.Value("texturemiddle", "-")),
                            Integer(block.Value("sector", "-1"))});
    } else if (block.type == "sector") {
      map_.sectors.push_back({AsciiUpper(block.Value("texturefloor")),
                              AsciiUpper(block.Value("textureceiling")),
                              static_cast<std::int32_t>(Integer(block.Value("special", "0"))),
                              static_cast<std::int32_t>(Integer(block.Value("id", "0")))});
    } else if (block.type == "thing") {
      MapThing thing;
      thing.x = Number(block.Value("x"));
      thing.y = Number(block.Value("y"));
      thing.angle = Number(block.Value("angle"));
      thing.hasType = block.Has("type");
      thing.type = static_cast<std::int32_t>(Integer(block.Value("type", "0")));
      thing.fileOffset = textAt + block.begin;
      thing.fileEnd = textAt + block.end;
      map_.things.push_back(thing);
    }
  }

  static double Number(std::string_view text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
  }

  static std::int64_t Integer(std::string_view text) {
    std::int64_t value = 0;
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
      text.remove_prefix(2);
      base = 16;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end == text.data()) return 0;
    return negative ? -value : value;
  }

  void CheckReferences() {
    const auto count = [](const auto& list) { return static_cast<std::int64_t>(list.size()); };
    std::size_t badVertex = 0;
    std::size_t badSide = 0;
    for (const MapLine& line : map_.lines) {
      if (line.v1 < 0 || line.v1 >= count(map_.vertices) || line.v2 < 0 ||
          line.v2 >= count(map_.vertices)) {
        ++badVertex;
      }
      if (line.front >= count(map_.sides) || line.back >= count(map_.sides)) ++badSide;
    }
    std::size_t badSector = 0;
    for (const MapSide& side : map_.sides) {
      if (side.sector < 0 || side.sector >= count(map_.sectors)) ++badSector;
    }
    const auto note = [&](std::size_t n, const char* what) {
      if (n > 0) Problem(std::to_string(n) + " " + what);
    };
    note(badVertex, "linedefs name a vertex that does not exist");
    note(badSide, "linedefs name a sidedef that does not exist");
    note(badSector, "sidedefs name a sector that does not exist");
  }

  bool hasGlNodes_ = false;

 private:
  WadSource& source_;
  MapData& map_;
};

std::size_t LastMarker(const WadDirectory& directory, std::string_view upperName) {
  for (std::size_t i = directory.lumps.size(); i-- > 0;) {
    if (AsciiUpper(directory.lumps[i].name) != upperName) continue;
    if (i + 1 < directory.lumps.size()) {
      const std::string next = AsciiUpper(directory.lumps[i + 1].name);
      if (next == "TEXTMAP" || IsBinaryMapLump(next)) return i;
    }
  }
  return directory.lumps.size();
}

bool HasGlNodes(const WadDirectory& directory, std::string_view upperName) {
  const std::string marker = upperName.size() <= 5 ? "GL_" + std::string(upperName) : "GL_LEVEL";
  for (std::size_t i = 0; i < directory.lumps.size(); ++i) {
    if (AsciiUpper(directory.lumps[i].name) != marker) continue;
    for (std::size_t j = i + 1; j < directory.lumps.size() && j <= i + 5; ++j) {
      // A map of one convex sector has a GL subsector and no GL node.
      const std::string name = AsciiUpper(directory.lumps[j].name);
      if ((name == "GL_NODES" || name == "GL_SSECT") && directory.lumps[j].size > 0) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

std::vector<Lump> MapLumpsAt(const std::vector<Lump>& lumps, std::size_t marker) {
  std::vector<Lump> out;
  if (marker + 1 >= lumps.size()) return out;
  const bool udmf = AsciiUpper(lumps[marker + 1].name) == "TEXTMAP";
  for (std::size_t i = marker + 1; i < lumps.size(); ++i) {
    const std::string name = AsciiUpper(lumps[i].name);
    if (udmf) {
      if (name == "ENDMAP") break;
      if (i > marker + 1 && ParseMapName(name)) break;  // ENDMAP forgotten: stop at the next map
    } else if (!IsBinaryMapLump(name)) {
      break;
    }
    out.push_back(lumps[i]);
  }
  return out;
}

MapReadResult ReadMap(WadSource& source, const WadDirectory& directory, std::string_view name) {
  MapReadResult result;
  try {
    const std::string upper = AsciiUpper(name);
    const std::size_t marker = LastMarker(directory, upper);
    if (marker >= directory.lumps.size()) {
      result.error = "there is no map " + upper + " in it";
      return result;
    }
    MapData& map = result.map;
    map.name = upper;
    map.lumps = MapLumpsAt(directory.lumps, marker);
    MapBuilder builder(source, map);
    if (!map.lumps.empty() && AsciiUpper(map.lumps.front().name) == "TEXTMAP") {
      map.format = MapFormat::kUdmf;
      builder.ReadText();
    } else {
      map.format =
          FindLump(map.lumps, "BEHAVIOR") != nullptr ? MapFormat::kHexen : MapFormat::kDoom;
      builder.hasGlNodes_ = HasGlNodes(directory, upper);
      builder.ReadBinary();
    }
    builder.CheckReferences();
    result.ok = true;
  } catch (const std::exception& error) {
    result = {};
    result.error = std::string("reading the map failed: ") + error.what();
  }
  return result;
}

MapReadResult ReadMapFile(const std::string& path, std::string_view name) {
  MapReadResult result;
  try {
    FileSource source(path);
    if (!source.IsOpen()) {
      result.error = "the file could not be opened";
      return result;
    }
    const WadReadResult wad = ReadWad(source);
    if (!wad.Ok()) {
      result.error = wad.detail;
      return result;
    }
    return ReadMap(source, wad.directory, name);
  } catch (const std::exception& error) {
    result.error = std::string("reading the map failed: ") + error.what();
  }
  return result;
}

}  // namespace quillon::wad
