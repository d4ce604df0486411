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
