// Moving player 1's start over arbitrary bytes: a copy whose only change is the start, or a
// clear refusal. The first six bytes are the spot (x, y and facing, 16 bits each,
// little-endian); the rest is the WAD, whose first map is the one changed.

#include <cmath>
#include <string>

#include "IniModel.h"
#include "core/wad/MapData.h"
#include "core/wad/StartSpot.h"
#include "core/wad/WadReader.h"

namespace {

using namespace quillon::wad;
using quillon::fuzz::Check;

double Int16At(const std::uint8_t* data, std::size_t at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8)));
}

std::uint32_t Uint32At(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void CheckCopy(const std::string& original, const std::string& name, const StartSpot& spot,
               const StartCopy& copy) {
  MemorySource source(copy.bytes);
  const WadReadResult wad = ReadWad(source);
  Check(wad.Ok(), "the copy is a WAD");
  const MapReadResult map = ReadMap(source, wad.directory, name);
  Check(map.ok, "the copy has the map");
  const std::int64_t start = PlayerStartIndex(map.map);
  Check(start >= 0, "the copy has a player 1 start");
  const MapThing& thing = map.map.things[static_cast<std::size_t>(start)];
  Check(std::abs(thing.x - spot.x) < 0.001 && std::abs(thing.y - spot.y) < 0.001, "moved");
  Check(thing.angle == StoredFacing(map.map.format, spot.angle), "turned");
  if (!copy.relocated) {
    Check(copy.bytes.size() == original.size(), "same size in place");
    for (std::size_t i = 0; i < original.size(); ++i) {
      if (copy.bytes[i] != original[i]) {
        Check(i >= thing.fileOffset && i < thing.fileEnd, "only the start's bytes differ");
      }
    }
    return;
  }
  Check(copy.bytes.size() > original.size(), "a relocated copy is longer");
  for (std::size_t i = 0; i < original.size(); ++i) {
    if (i < 8 || i >= 12) Check(copy.bytes[i] == original[i], "the old bytes stay");
  }
  // The directory copy differs in one entry's offset and size, never in a name.
  const std::uint32_t count = Uint32At(original, 4);
  const std::size_t before = Uint32At(original, 8);
  const std::size_t after = Uint32At(copy.bytes, 8);
  int changed = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view a(original.data() + before + i * 16, 16);
    const std::string_view b(copy.bytes.data() + after + i * 16, 16);
    Check(a.substr(8) == b.substr(8), "lump names stay");
    changed += a != b ? 1 : 0;
  }
  Check(changed == 1, "exactly one lump moved");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  const StartSpot spot{Int16At(data, 0), Int16At(data, 2), Int16At(data, 4)};
  const std::string wad(reinterpret_cast<const char*>(data) + 6, size - 6);
  MemorySource source(wad);
  const WadReadResult read = ReadWad(source);
  const std::string name = read.Ok() && !read.directory.maps.empty()
                               ? read.directory.maps.front().name
                               : std::string("MAP01");
  const StartCopy copy = CopyWithStart(wad, name, spot);
  if (!copy.ok) {
    Check(!copy.error.empty() && copy.bytes.empty(), "a refusal says why and gives nothing");
    return 0;
  }
  CheckCopy(wad, name, spot, copy);
  return 0;
}
