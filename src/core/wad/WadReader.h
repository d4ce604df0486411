#pragma once

#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::wad {

// Where the reader's bytes come from; every read goes through Read, which counts them.
class WadSource {
 public:
  virtual ~WadSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Fills `out` from `offset`; false when the bytes cannot all be had.
  bool Read(std::uint64_t offset, std::span<char> out);
  std::uint64_t BytesRead() const { return bytesRead_; }

 private:
  virtual bool ReadAt(std::uint64_t offset, std::span<char> out) = 0;
  std::uint64_t bytesRead_ = 0;
};

// Bytes already in memory (tests, fuzzing). Given a larger size, it reads as a sparse file
// does: the bytes, then zeros up to that size.
class MemorySource : public WadSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes), size_(bytes.size()) {}
  MemorySource(std::string_view bytes, std::uint64_t size) : bytes_(bytes), size_(size) {}
  std::uint64_t Size() const override { return size_; }

 private:
  bool ReadAt(std::uint64_t offset, std::span<char> out) override;
  std::string_view bytes_;
  std::uint64_t size_;
};

// The most lumps a WAD may claim; a header claiming more is refused before anything is read.
// The count is a signed 32-bit number, so a header can ask for two thousand million lumps, a
// 32 GiB directory. Real WADs stay far below this: vanilla Doom loads at most about 4 000 from
// one PWAD, the largest megawads and resource WADs hold tens of thousands, and even a WAD of
// 30 000 maps (11 lumps each) would fit three times over. At the cap the directory is 16 MiB
// and the lump list about 40 MiB.
inline constexpr std::int32_t kMaxLumps = 1 << 20;

// The directory is read this many entries (16 bytes each) at a time.
inline constexpr std::size_t kDirectoryPieceEntries = 4096;

// A file read through an unbuffered stream, so the bytes counted are the bytes asked of the
// system.
class FileSource : public WadSource {
 public:
  explicit FileSource(const std::string& path);
  bool IsOpen() const { return open_; }
  std::uint64_t Size() const override { return size_; }

 private:
  bool ReadAt(std::uint64_t offset, std::span<char> out) override;
  std::ifstream stream_;
  std::uint64_t size_ = 0;
  bool open_ = false;
};

enum class WadKind : std::uint8_t { kIwad, kPwad };
enum class MapFormat : std::uint8_t { kDoom, kHexen, kUdmf };

struct Lump {
  std::string name;  // up to the first NUL, at most 8 characters, as stored
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

struct MapInfo {
  std::string name;  // upper case: "MAP07", "E2M3"
  MapFormat format = MapFormat::kDoom;
};

struct WadDirectory {
  WadKind kind = WadKind::kPwad;
  std::vector<Lump> lumps;
  std::vector<MapInfo> maps;  // each name once, in map order (see MapOrderLess)
};

// What is wrong with a file, if anything. Broken files are reported, never trusted.
enum class WadStatus : std::uint8_t {
  kOk,
  kFileNotFound,
  kUnreadable,    // there, but opening or reading it failed
  kNotAWad,       // does not start with "IWAD" or "PWAD"
  kCutShort,      // shorter than its 12-byte header
  kBadDirectory,  // negative or too large a lump count, negative offset, or a directory
                  // outside the file
  kBadLump,       // a lump with a negative offset or size, or data outside the file
};

struct WadReadResult {
  WadStatus status = WadStatus::kUnreadable;
  std::string detail;      // one line saying what is wrong; empty when all is well
  WadDirectory directory;  // meaningful only when status is kOk
  std::uint64_t fileSize = 0;
  std::uint64_t bytesRead = 0;
  bool Ok() const { return status == WadStatus::kOk; }
};

// Reads the header and the lump directory, nothing else. Memory stays bounded whatever the
// header claims: at most kMaxLumps lumps, the directory read a piece at a time. Never throws.
WadReadResult ReadWad(WadSource& source);

// The same from a file on disk.
WadReadResult ReadWadFile(const std::string& path);

// A lump's bytes into `out`; false when they cannot be read. The directory reader has
// checked that every lump lies inside the file, so the size is bounded by it.
bool ReadLump(WadSource& source, const Lump& lump, std::string& out);

// The maps among the lumps: a marker named ExMy or MAPxx directly followed by a map lump
// (THINGS, LINEDEFS, ..., BEHAVIOR, or TEXTMAP for UDMF). A name found twice counts once,
// with the format of its last marker, as the ports load the last one.
std::vector<MapInfo> FindMaps(const std::vector<Lump>& lumps);

// Whether the lumps bring sprites or flats of their own: an S_START, SS_START, F_START or
// FF_START marker, in any letter case.
bool BringsGraphics(const std::vector<Lump>& lumps);

}  // namespace quillon::wad
