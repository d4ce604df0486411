#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Writes small but real WAD files for the tests and benchmarks; standard C++ only.
namespace quillon::test {

struct TestLump {
  std::string name;  // at most 8 bytes; fewer are padded with NULs
  std::string data;
};

// "IWAD" or "PWAD" (or anything else), the lump data after the header, the directory last.
std::string MakeWad(std::string_view magic, const std::vector<TestLump>& lumps);

// A header claiming `count` lumps in a directory at `offset`, followed by `rest`.
std::string MakeHeader(std::string_view magic, std::int32_t count, std::int32_t offset,
                       std::string_view rest = {});

// One directory entry: offset, size, 8 name bytes taken as given (no NUL added).
std::string MakeEntry(std::int32_t offset, std::int32_t size, std::string_view name8);

// A map's lumps, marker first: the ten of a Doom map (with BEHAVIOR for Hexen), or the
// TEXTMAP and ENDMAP of a UDMF map. The lumps carry a few bytes each.
std::vector<TestLump> DoomMap(std::string marker, bool hexen = false);
std::vector<TestLump> UdmfMap(std::string marker);

// A map given by its records, for tests that read what a map holds.
struct TestMapLayout {
  struct Vertex {
    int x = 0;
    int y = 0;
  };
  struct Line {
    int v1 = 0;
    int v2 = 0;
    int front = 0;
    int back = -1;  // -1: one-sided
    int special = 0;
    int tag = 0;
    int flags = 1;
  };
  struct Side {
    std::string upper = "-";
    std::string lower = "-";
    std::string middle = "STARTAN3";
    int sector = 0;
  };
  struct Sector {
    int floorHeight = 0;
    int ceilingHeight = 128;
    std::string floor = "FLOOR4_8";
    std::string ceiling = "CEIL3_5";
    int light = 160;
    int special = 0;
    int tag = 0;
  };
  struct Thing {
    int x = 0;
    int y = 0;
    int angle = 0;
    int type = 1;
    int flags = 7;
  };
  std::vector<Vertex> vertices;
  std::vector<Line> lines;
  std::vector<Side> sides;
  std::vector<Sector> sectors;
  std::vector<Thing> things;
};

// A square room of one sector, `size` units wide with its corner at the origin, and player
// 1's start in the middle facing east.
TestMapLayout SquareRoom(int size = 256);

// The map in Doom's binary format, marker first, without nodes (SEGS, SSECTORS and NODES
// are empty, as an editor that builds none saves them).
std::vector<TestLump> BinaryMap(std::string marker, const TestMapLayout& layout);

// The same map as a UDMF TEXTMAP in `ns`.
std::string UdmfText(const TestMapLayout& layout, std::string_view ns = "doom");

std::vector<TestLump> Join(std::initializer_list<std::vector<TestLump>> parts);

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// A fresh empty folder, removed with the object.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string File(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace quillon::test
