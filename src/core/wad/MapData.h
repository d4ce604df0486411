#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/wad/WadReader.h"

namespace quillon::wad {

// One map as the ports read it, in the same shape for the Doom, Hexen and UDMF formats.
// Indices are kept as stored (a line may name a vertex that does not exist); the reader
// notes such faults in `problems` and leaves the judging to its users.

inline constexpr std::int32_t kNoSide = -1;

struct MapVertex {
  double x = 0;
  double y = 0;
};

struct MapLine {
  std::int64_t v1 = 0;
  std::int64_t v2 = 0;
  std::int64_t front = kNoSide;  // sidedef index, kNoSide for none
  std::int64_t back = kNoSide;
  std::uint32_t flags = 0;  // as stored (Doom, Hexen); UDMF flags live in `keys`
  std::int32_t special = 0;
  std::int32_t tag = 0;                   // Doom's sector tag; UDMF's "id"
  std::array<std::int32_t, 5> args = {};  // Hexen and UDMF
};

struct MapSide {
  std::string upper;  // texture names as stored, upper-cased; "-" is none
  std::string lower;
  std::string middle;
  std::int64_t sector = 0;
};

struct MapSector {
  std::string floor;  // flat names, upper-cased
  std::string ceiling;
  std::int32_t special = 0;
  std::int32_t tag = 0;
};

struct MapThing {
  double x = 0;
  double y = 0;
  double angle = 0;  // degrees, 0 east, counter-clockwise
  std::int32_t type = 0;
  std::uint32_t flags = 0;  // as stored (Doom, Hexen)
  bool hasType = true;      // false for a UDMF block without "type"
  // Where the thing is stored: the byte offset of its record in the file (Doom, Hexen), or
  // of its block in the file (UDMF: `begin` to `end` inside the TEXTMAP lump's bytes).
  std::uint64_t fileOffset = 0;
  std::uint64_t fileEnd = 0;
};

// How the map's BSP nodes are stored, if at all.
enum class NodeFormat : std::uint8_t {
  kNone,        // no NODES lump, or an empty one, and no GL nodes
  kClassic,     // the original 28-byte NODES records
  kGlOnly,      // no usable NODES, but a GL_ map with GL nodes
  kExtended,    // XNOD (in NODES) or XGLN/XGL2/XGL3 (in SSECTORS or ZNODES)
  kCompressed,  // ZNOD (in NODES) or ZGLN/ZGL2/ZGL3 (in SSECTORS or ZNODES)
  kUdmfZnodes,  // reserved for a UDMF ZNODES lump whose signature is not recognised
};

// A classic BSP node: the partition line and its two children; a child with the high bit
// set (0x8000) is a subsector.
struct MapNode {
  double x = 0;
  double y = 0;
  double dx = 0;
  double dy = 0;
  std::array<std::uint32_t, 2> children = {};  // right (front), left (back)
};

struct MapData {
  std::string name;
  MapFormat format = MapFormat::kDoom;
  std::string udmfNamespace;  // UDMF only, lower-cased
  std::vector<MapVertex> vertices;
  std::vector<MapLine> lines;
  std::vector<MapSide> sides;
  std::vector<MapSector> sectors;
  std::vector<MapThing> things;
  NodeFormat nodes = NodeFormat::kNone;
  std::string nodeSignature;  // "XNOD", "ZGLN", ... when the nodes carry one
  // Classic nodes only: the nodes, and each subsector's sector (-1 where it cannot be told).
  std::vector<MapNode> bspNodes;
  std::vector<std::int64_t> subsectorSector;
  // The lumps of the map as stored, by name (upper-cased), for whoever needs the bytes again.
  std::vector<Lump> lumps;
  // Faults found while reading, one line each ("THINGS is 25 bytes, not a multiple of 10").
  std::vector<std::string> problems;
};

struct MapReadResult {
  bool ok = false;
  std::string error;  // why the map could not be read at all
  MapData map;
};

// The most bytes read of one map lump; a larger lump is refused, not read.
inline constexpr std::uint32_t kMaxMapLumpBytes = 256u << 20;

// Reads the map named `name` (any letter case; the last one of that name, as the ports load
// it) from a WAD whose directory has been read from `source`. Memory stays within the map's
// lumps and what they hold. Never throws.
MapReadResult ReadMap(WadSource& source, const WadDirectory& directory, std::string_view name);

// The same from a file on disk.
MapReadResult ReadMapFile(const std::string& path, std::string_view name);

// The lumps of the map whose marker is at `marker`: up to, not including, the first lump that
// is not one of a map's (UDMF: up to and including ENDMAP).
std::vector<Lump> MapLumpsAt(const std::vector<Lump>& lumps, std::size_t marker);

}  // namespace quillon::wad
