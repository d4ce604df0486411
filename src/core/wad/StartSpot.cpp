#include "core/wad/StartSpot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <limits>
#include <vector>

#include "core/files/PathHelpers.h"
#include "core/wad/Udmf.h"

namespace quillon::wad {

namespace {

// The subsector the BSP tree leads to, as the ports' R_PointInSubsector walks it; -1 when the
// tree is broken (a child out of range, or a cycle).
std::int64_t SubsectorAt(const MapData& map, double x, double y) {
  if (map.bspNodes.empty()) return map.subsectorSector.size() == 1 ? 0 : -1;
  std::uint32_t node = static_cast<std::uint32_t>(map.bspNodes.size() - 1);
  for (std::size_t steps = 0; steps <= map.bspNodes.size(); ++steps) {
    if (node >= map.bspNodes.size()) return -1;
    const MapNode& n = map.bspNodes[node];
    // The front (right) side when the point lies right of the partition, as R_PointOnSide.
    const bool back = (y - n.y) * n.dx >= n.dy * (x - n.x);
    const std::uint32_t child = n.children[back ? 1 : 0];
    if (child & 0x8000u) return child & 0x7FFFu;
    node = child;
  }
  return -1;
}

// For each sector, whether a ray from the point to the east crosses its lines an odd number
// of times. A line with the same sector on both sides counts twice, so it cancels out.
std::vector<bool> OddCrossings(const MapData& map, double x, double y) {
  std::vector<bool> odd(map.sectors.size(), false);
  const auto sectorOf = [&](std::int64_t side) -> std::int64_t {
    if (side < 0 || static_cast<std::size_t>(side) >= map.sides.size()) return kNoSector;
    const std::int64_t sector = map.sides[static_cast<std::size_t>(side)].sector;
    return sector >= 0 && static_cast<std::size_t>(sector) < odd.size() ? sector : kNoSector;
  };
  const auto count = static_cast<std::int64_t>(map.vertices.size());
  for (const MapLine& line : map.lines) {
    if (line.v1 < 0 || line.v1 >= count || line.v2 < 0 || line.v2 >= count) continue;
    const MapVertex& a = map.vertices[static_cast<std::size_t>(line.v1)];
    const MapVertex& b = map.vertices[static_cast<std::size_t>(line.v2)];
    if ((a.y > y) == (b.y > y)) continue;
    if (x >= a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y)) continue;
    for (const std::int64_t side : {line.front, line.back}) {
      const std::int64_t sector = sectorOf(side);
      if (sector != kNoSector) odd[static_cast<std::size_t>(sector)].flip();
    }
  }
  return odd;
}

void PutInt16(std::string& bytes, std::uint64_t at, std::int32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutInt32(std::string& bytes, std::uint64_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetUint32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// A UDMF float: always with a decimal point, at most three places.
std::string UdmfFloat(double value) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
  std::string out(text, end.ptr);
  while (out.back() == '0') out.pop_back();
  if (out.back() == '.') out += '0';
  return out;
}

// The copy with lump `index` of the directory holding `data` instead: the data and a copy
// of the directory naming it follow the old file.
bool Relocate(std::string_view wad, std::size_t index, std::string_view data, StartCopy& copy) {
  const std::uint32_t count = GetUint32(wad, 4);
  const std::uint32_t directory = GetUint32(wad, 8);
  const std::uint64_t total = wad.size() + data.size() + std::uint64_t{count} * 16;
  if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    copy.error = "the copy would be larger than a WAD can be";
    return false;
  }
  copy.bytes.reserve(total);
  copy.bytes.assign(wad);
  copy.bytes.append(data);
  const std::uint64_t newDirectory = copy.bytes.size();
  copy.bytes.append(wad.substr(directory, std::size_t{count} * 16));
  PutInt32(copy.bytes, newDirectory + index * 16, static_cast<std::uint32_t>(wad.size()));
  PutInt32(copy.bytes, newDirectory + index * 16 + 4, static_cast<std::uint32_t>(data.size()));
  PutInt32(copy.bytes, 8, static_cast<std::uint32_t>(newDirectory));
  copy.relocated = true;
  return true;
}

class Copier {
 public:
  Copier(std::string_view wad, const WadDirectory& directory, const MapData& map,
         const StartSpot& spot, StartCopy& copy)
      : wad_(wad), directory_(directory), map_(map), spot_(spot), copy_(copy) {}

  bool Binary() {
    const std::size_t things = LumpIndex("THINGS");
    if (things == 0) return Fail("the map has no THINGS lump");
    const std::int32_t x = static_cast<std::int32_t>(std::lround(spot_.x));
    const std::int32_t y = static_cast<std::int32_t>(std::lround(spot_.y));
    if (std::abs(spot_.x) > 32767 || std::abs(spot_.y) > 32767) {
      return Fail("the spot lies beyond where the map's format can place a thing");
    }
    const auto angle = static_cast<std::int32_t>(StoredFacing(map_.format, spot_.angle));
    const bool hexen = map_.format == MapFormat::kHexen;
    const std::size_t size = hexen ? 20 : 10;
    std::string record(size, '\0');
    std::uint64_t at = 0;
    const std::int64_t start = PlayerStartIndex(map_);
    if (start >= 0) {
      if (OverWadFrame(things)) return FailOverFrame("THINGS");
      copy_.bytes.assign(wad_);
      at = map_.things[static_cast<std::size_t>(start)].fileOffset;
    } else {
      const Lump& lump = directory_.lumps[things];
      if (lump.size % size != 0) {
        return Fail("its THINGS lump is " + std::to_string(lump.size) +
                    " bytes, not a multiple of its " + std::to_string(size) +
                    "-byte records, so no start can be added to it");
      }
      // Every skill; in Hexen also every class and every game mode.
      PutInt16(record, hexen ? 10 : 6, 1);
      PutInt16(record, hexen ? 12 : 8, hexen ? 0x7E7 : 0x7);
      copy_.added = true;
    }
    std::string& target = start >= 0 ? copy_.bytes : record;
    const std::uint64_t field = at + (hexen ? 2 : 0);
    PutInt16(target, field, x);
    PutInt16(target, field + 2, y);
    PutInt16(target, field + (hexen ? 6 : 4), angle);
    if (start >= 0) return true;
    return Relocate(wad_, things, LumpBytes(things) + record, copy_);
  }

  bool Text() {
    const std::size_t textmap = LumpIndex("TEXTMAP");
    if (textmap == 0) return Fail("the map has no TEXTMAP lump");
    const std::string text = LumpBytes(textmap);
    const std::int64_t start = PlayerStartIndex(map_);
    const std::uint64_t textAt = directory_.lumps[textmap].offset;
    const std::size_t wanted =
        start >= 0 ? map_.things[static_cast<std::size_t>(start)].fileOffset - textAt : 0;
    UdmfBlock found;
    const UdmfResult read = ReadUdmf(text, nullptr, [&](const UdmfBlock& block) {
      if (start >= 0 && block.type == "thing" && block.begin == wanted) found = block;
    });
    if (!read.ok) return Fail("its TEXTMAP cannot be read: " + read.error);
    const std::string x = UdmfFloat(spot_.x);
    const std::string y = UdmfFloat(spot_.y);
    const std::string angle =
        std::to_string(static_cast<int>(StoredFacing(MapFormat::kUdmf, spot_.angle)));
    if (start < 0) {
      std::string block = "\nthing\n{\ntype = 1;\nx = " + x + ";\ny = " + y +
                          ";\nangle = " + angle +
                          ";\nskill1 = true;\nskill2 = true;\nskill3 = true;\nskill4 = true;\n"
                          "skill5 = true;\nsingle = true;\ncoop = true;\n";
      if (map_.udmfNamespace != "doom" && map_.udmfNamespace != "heretic" &&
          map_.udmfNamespace != "strife") {
        block += "class1 = true;\nclass2 = true;\nclass3 = true;\n";
      }
      copy_.added = true;
      return Relocate(wad_, textmap, text + block + "}\n", copy_);
    }
    if (found.end <= found.begin) return Fail("player 1's start cannot be found in TEXTMAP");
    // The block with the values of x, y and angle replaced, from the last one back so the
    // earlier positions hold; a missing one goes before the closing brace.
    std::string block = text.substr(found.begin, found.end - found.begin);
    bool has[3] = {false, false, false};
    for (auto field = found.fields.rbegin(); field != found.fields.rend(); ++field) {
      const int which = field->key == "x"       ? 0
                        : field->key == "y"     ? 1
                        : field->key == "angle" ? 2
                                                : -1;
      if (which < 0) continue;
      has[which] = true;
      block.replace(field->valueBegin - found.begin, field->valueEnd - field->valueBegin,
                    which == 0   ? x
                    : which == 1 ? y
                                 : angle);
    }
    std::string missing;
    if (!has[0]) missing += "x = " + x + "; ";
    if (!has[1]) missing += "y = " + y + "; ";
    if (!has[2]) missing += "angle = " + angle + "; ";
    block.insert(block.size() - 1, missing);
    const std::size_t old = found.end - found.begin;
    if (block.size() <= old) {
      // Blanks before the closing brace keep the block, and every byte after it, in place.
      block.insert(block.size() - 1, old - block.size(), ' ');
      if (OverWadFrame(textmap)) return FailOverFrame("TEXTMAP");
      copy_.bytes.assign(wad_);
      copy_.bytes.replace(textAt + found.begin, old, block);
      return true;
    }
    return Relocate(wad_, textmap, text.substr(0, found.begin) + block + text.substr(found.end),
                    copy_);
  }

 private:
  // The directory index of the map's lump named `name`; 0 (the marker can never be it)
  // when the map has none.
  std::size_t LumpIndex(std::string_view name) const {
    for (std::size_t marker = directory_.lumps.size(); marker-- > 0;) {
      if (AsciiUpper(directory_.lumps[marker].name) != map_.name) continue;
      if (marker + map_.lumps.size() >= directory_.lumps.size()) continue;
      const Lump& first = directory_.lumps[marker + 1];
      if (first.offset != map_.lumps.front().offset || first.name != map_.lumps.front().name) {
        continue;
      }
      for (std::size_t k = 0; k < map_.lumps.size(); ++k) {
        if (AsciiUpper(map_.lumps[k].name) == name) return marker + 1 + k;
      }
      return 0;
    }
    return 0;
  }

  // A lump whose bytes lie over the header or the directory: writing into it in place
  // would change the file's own layout, and the copy would no longer read as a WAD.
  bool OverWadFrame(std::size_t index) const {
    const Lump& lump = directory_.lumps[index];
    const std::uint64_t end = lump.offset + lump.size;
    const std::uint64_t table = GetUint32(wad_, 8);
    const std::uint64_t tableEnd = table + std::uint64_t{GetUint32(wad_, 4)} * 16;
    return lump.size > 0 && (lump.offset < 12 || (lump.offset < tableEnd && end > table));
  }

  bool FailOverFrame(std::string_view name) {
    return Fail("its " + std::string(name) +
                " lump lies over the WAD's header or directory, so the file is damaged");
  }

  std::string LumpBytes(std::size_t index) const {
    const Lump& lump = directory_.lumps[index];
    return std::string(wad_.substr(lump.offset, lump.size));
  }

  bool Fail(std::string why) {
    copy_.error = std::move(why);
    return false;
  }

  std::string_view wad_;
  const WadDirectory& directory_;
  const MapData& map_;
  const StartSpot& spot_;
  StartCopy& copy_;
};

}  // namespace

std::int64_t SectorAt(const MapData& map, double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return kNoSector;
  const std::vector<bool> odd = OddCrossings(map, x, y);
  if (map.nodes == NodeFormat::kClassic) {
    const std::int64_t subsector = SubsectorAt(map, x, y);
    if (subsector >= 0 && static_cast<std::size_t>(subsector) < map.subsectorSector.size()) {
      const std::int64_t sector = map.subsectorSector[static_cast<std::size_t>(subsector)];
      if (sector >= 0 && static_cast<std::size_t>(sector) < odd.size() &&
          odd[static_cast<std::size_t>(sector)]) {
        return sector;
      }
    }
  }
  for (std::size_t i = 0; i < odd.size(); ++i) {
    if (odd[i]) return static_cast<std::int64_t>(i);
  }
  return kNoSector;
}

std::string SpotRefusal(const MapData& map, double x, double y) {
  if (map.format != MapFormat::kUdmf && (std::abs(x) > 32767 || std::abs(y) > 32767)) {
    return "This spot lies beyond where the map's format can place a thing.";
  }
  if (SectorAt(map, x, y) == kNoSector) {
    return "This spot is outside every sector: the player would start in the void.";
  }
  return {};
}

double StoredFacing(MapFormat format, double degrees) {
  if (!std::isfinite(degrees)) return 0;
  const double step = format == MapFormat::kUdmf ? 1 : 45;
  double facing = std::fmod(std::round(degrees / step) * step, 360.0);
  if (facing < 0) facing += 360;
  return facing >= 360 ? 0 : facing;
}

std::int64_t PlayerStartIndex(const MapData& map) {
  for (std::size_t i = map.things.size(); i-- > 0;) {
    if (map.things[i].hasType && map.things[i].type == 1) return static_cast<std::int64_t>(i);
  }
  return -1;
}

StartCopy CopyWithStart(std::string_view wad, std::string_view mapName, const StartSpot& spot) {
  StartCopy copy;
  try {
    MemorySource source(wad);
    const WadReadResult read = ReadWad(source);
    if (!read.Ok()) {
      copy.error = read.detail;
      return copy;
    }
    const MapReadResult map = ReadMap(source, read.directory, mapName);
    if (!map.ok) {
      copy.error = map.error;
      return copy;
    }
    Copier copier(wad, read.directory, map.map, spot, copy);
    copy.ok = map.map.format == MapFormat::kUdmf ? copier.Text() : copier.Binary();
  } catch (const std::exception& error) {
    copy.error = std::string("making the copy failed: ") + error.what();
    copy.ok = false;
  }
  if (!copy.ok) copy.bytes.clear();
  return copy;
}

StartCopy MapAlone(std::string_view wad, std::string_view mapName) {
  StartCopy alone;
  try {
    MemorySource source(wad);
    const WadReadResult read = ReadWad(source);
    const MapReadResult map =
        read.Ok() ? ReadMap(source, read.directory, mapName) : MapReadResult{};
    if (!map.ok) {
      alone.error = read.Ok() ? map.error : read.detail;
      return alone;
    }
    const std::vector<Lump>& lumps = map.map.lumps;
    std::string data;
    std::string directory;
    const auto entry = [&](std::uint32_t offset, std::uint32_t size, std::string_view name) {
      std::string bytes(16, '\0');
      PutInt32(bytes, 0, offset);
      PutInt32(bytes, 4, size);
      bytes.replace(8, std::min<std::size_t>(name.size(), 8), name.substr(0, 8));
      directory += bytes;
    };
    entry(12, 0, map.map.name);
    for (const Lump& lump : lumps) {
      entry(static_cast<std::uint32_t>(12 + data.size()), lump.size, lump.name);
      data.append(wad.substr(lump.offset, lump.size));
    }
    alone.bytes = "PWAD";
    alone.bytes.append(8, '\0');
    PutInt32(alone.bytes, 4, static_cast<std::uint32_t>(lumps.size() + 1));
    PutInt32(alone.bytes, 8, static_cast<std::uint32_t>(12 + data.size()));
    alone.bytes += data;
    alone.bytes += directory;
    alone.ok = true;
  } catch (const std::exception& error) {
    alone = {};
    alone.error = std::string("making the copy failed: ") + error.what();
  }
  return alone;
}

}  // namespace quillon::wad
