#include "core/wad/WadReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <unordered_map>

#include "core/files/PathHelpers.h"
#include "core/wad/MapNames.h"

namespace quillon::wad {

namespace {

constexpr std::uint64_t kHeaderSize = 12;
constexpr std::uint64_t kEntrySize = 16;
constexpr std::size_t kNameSize = 8;

// The lumps a map marker is followed by; TEXTMAP starts a UDMF map.
constexpr std::array<std::string_view, 12> kMapLumps = {
    "THINGS", "LINEDEFS", "SIDEDEFS", "VERTEXES", "SEGS",     "SSECTORS",
    "NODES",  "SECTORS",  "REJECT",   "BLOCKMAP", "BEHAVIOR", "SCRIPTS"};

std::int32_t LittleInt32(const char* bytes) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return static_cast<std::int32_t>(value);
}

std::string NameOf(const char* bytes) {
  const char* end = std::find(bytes, bytes + kNameSize, '\0');
  return std::string(bytes, end);
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

bool IsMapLump(std::string_view name) {
  return std::find(kMapLumps.begin(), kMapLumps.end(), Upper(name)) != kMapLumps.end();
}

WadReadResult Failure(WadStatus status, std::string detail) {
  WadReadResult result;
  result.status = status;
  result.detail = std::move(detail);
  return result;
}

}  // namespace

bool WadSource::Read(std::uint64_t offset, std::span<char> out) {
  if (offset > Size() || out.size() > Size() - offset) return false;
  bytesRead_ += out.size();
  return ReadAt(offset, out);
}

FileSource::FileSource(const std::string& path) {
  stream_.rdbuf()->pubsetbuf(nullptr, 0);
  stream_.open(path, std::ios::binary);
  if (!stream_) return;
  stream_.seekg(0, std::ios::end);
  const auto end = stream_.tellg();
  if (!stream_ || end < 0) return;
  size_ = static_cast<std::uint64_t>(end);
  open_ = true;
}

bool FileSource::ReadAt(std::uint64_t offset, std::span<char> out) {
  stream_.clear();
  stream_.seekg(static_cast<std::streamoff>(offset));
  stream_.read(out.data(), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(stream_);
}

bool ReadLump(WadSource& source, const Lump& lump, std::string& out) {
  out.assign(lump.size, '\0');
  return lump.size == 0 || source.Read(lump.offset, std::span(out.data(), out.size()));
}

bool MemorySource::ReadAt(std::uint64_t offset, std::span<char> out) {
  const std::size_t held =
      offset >= bytes_.size() ? 0 : std::min<std::size_t>(out.size(), bytes_.size() - offset);
  if (held > 0) std::copy_n(bytes_.data() + offset, held, out.data());
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(held), out.end(), '\0');
  return true;
}

namespace {

WadReadResult ReadDirectory(WadSource& source) {
  const std::uint64_t fileSize = source.Size();
  std::array<char, kHeaderSize> header{};
  const std::uint64_t headerBytes = std::min<std::uint64_t>(fileSize, kHeaderSize);
  if (!source.Read(0, std::span(header.data(), headerBytes))) {
    return Failure(WadStatus::kUnreadable, "the header could not be read");
  }
  const std::string_view magic(header.data(), std::min<std::uint64_t>(headerBytes, 4));
  const bool iwad = std::string_view("IWAD").starts_with(magic);
  if (magic.empty() || (!iwad && !std::string_view("PWAD").starts_with(magic))) {
    return Failure(WadStatus::kNotAWad, "it does not start with IWAD or PWAD");
  }
  if (headerBytes < kHeaderSize) {
    return Failure(WadStatus::kCutShort, "the file ends after " + std::to_string(fileSize) +
                                             " bytes, inside its 12-byte header");
  }

  const std::int32_t count = LittleInt32(header.data() + 4);
  const std::int32_t directoryOffset = LittleInt32(header.data() + 8);
  if (count < 0 || directoryOffset < 0) {
    return Failure(WadStatus::kBadDirectory, "negative lump count or directory offset (" +
                                                 std::to_string(count) + ", " +
                                                 std::to_string(directoryOffset) + ")");
  }
  // Both checked before anything is allocated: a forged count can ask for no more than the
  // file holds, and a sparse file can hold a great deal while taking no disk.
  if (count > kMaxLumps) {
    return Failure(WadStatus::kBadDirectory, "it claims " + std::to_string(count) +
                                                 " lumps, more than any WAD holds (at most " +
                                                 std::to_string(kMaxLumps) + ")");
  }
  const std::uint64_t directorySize = static_cast<std::uint64_t>(count) * kEntrySize;
  if (static_cast<std::uint64_t>(directoryOffset) + directorySize > fileSize) {
    return Failure(WadStatus::kBadDirectory,
                   "the directory of " + std::to_string(count) + " lumps at offset " +
                       std::to_string(directoryOffset) + " runs past the end of the " +
                       std::to_string(fileSize) + "-byte file");
  }

  WadReadResult result;
  result.status = WadStatus::kOk;
  result.directory.kind = iwad ? WadKind::kIwad : WadKind::kPwad;
  result.directory.lumps.reserve(static_cast<std::size_t>(count));
  // A piece at a time, so the only buffer is one piece whatever the count.
  const auto total = static_cast<std::size_t>(count);
  std::vector<char> piece(std::min(total, kDirectoryPieceEntries) * kEntrySize);
  for (std::size_t first = 0; first < total; first += kDirectoryPieceEntries) {
    const std::size_t entries = std::min(total - first, kDirectoryPieceEntries);
    const std::span<char> bytes(piece.data(), entries * kEntrySize);
    if (!source.Read(static_cast<std::uint64_t>(directoryOffset) + first * kEntrySize, bytes)) {
      return Failure(WadStatus::kUnreadable, "the directory could not be read");
    }
    for (std::size_t i = 0; i < entries; ++i) {
      const char* entry = bytes.data() + i * kEntrySize;
      const std::int32_t offset = LittleInt32(entry);
      const std::int32_t size = LittleInt32(entry + 4);
      std::string name = NameOf(entry + 8);
      // An empty lump (a marker) may point anywhere; one with data must lie in the file.
      const bool outside =
          size > 0 &&
          static_cast<std::uint64_t>(offset) + static_cast<std::uint64_t>(size) > fileSize;
      if (offset < 0 || size < 0 || outside) {
        return Failure(WadStatus::kBadLump, "lump " + std::to_string(first + i + 1) + " (" + name +
                                                ") has offset " + std::to_string(offset) +
                                                " and size " + std::to_string(size) + " in a " +
                                                std::to_string(fileSize) + "-byte file");
      }
      result.directory.lumps.push_back(
          {std::move(name), static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(size)});
    }
  }
  result.directory.maps = FindMaps(result.directory.lumps);
  return result;
}

}  // namespace

WadReadResult ReadWad(WadSource& source) {
  WadReadResult result;
  // Runs on worker threads, where an exception would end the program: a read that fails,
  // even for want of memory, is a file that cannot be read.
  try {
    result = ReadDirectory(source);
  } catch (const std::exception& error) {
    result = Failure(WadStatus::kUnreadable, std::string("reading it failed: ") + error.what());
  }
  result.fileSize = source.Size();
  result.bytesRead = source.BytesRead();
  return result;
}

WadReadResult ReadWadFile(const std::string& path) {
  try {
    FileSource source(path);
    if (!source.IsOpen()) {
      std::error_code error;
      const bool missing =
          std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found;
      return missing ? Failure(WadStatus::kFileNotFound, "there is no such file")
                     : Failure(WadStatus::kUnreadable, "the file could not be opened");
    }
    return ReadWad(source);
  } catch (const std::exception& error) {
    return Failure(WadStatus::kUnreadable, std::string("reading it failed: ") + error.what());
  }
}

bool BringsGraphics(const std::vector<Lump>& lumps) {
  constexpr std::string_view kMarkers[] = {"S_START", "SS_START", "F_START", "FF_START"};
  return std::any_of(lumps.begin(), lumps.end(), [&](const Lump& lump) {
    const std::string name = AsciiUpper(lump.name);
    return std::find(std::begin(kMarkers), std::end(kMarkers), name) != std::end(kMarkers);
  });
}

std::vector<MapInfo> FindMaps(const std::vector<Lump>& lumps) {
  std::vector<MapInfo> maps;
  std::unordered_map<std::string, std::size_t> seen;
  for (std::size_t i = 0; i + 1 < lumps.size(); ++i) {
    if (!ParseMapName(lumps[i].name)) continue;
    const std::string next = Upper(lumps[i + 1].name);
    MapInfo map{Upper(lumps[i].name), MapFormat::kDoom};
    if (next == "TEXTMAP") {
      map.format = MapFormat::kUdmf;
    } else if (IsMapLump(next)) {
      for (std::size_t j = i + 1; j < lumps.size() && IsMapLump(lumps[j].name); ++j) {
        if (Upper(lumps[j].name) == "BEHAVIOR") map.format = MapFormat::kHexen;
      }
    } else {
      continue;
    }
    const auto [at, added] = seen.emplace(map.name, maps.size());
    if (added) {
      maps.push_back(std::move(map));
    } else {
      maps[at->second] = std::move(map);
    }
  }
  std::stable_sort(maps.begin(), maps.end(),
                   [](const MapInfo& a, const MapInfo& b) { return MapOrderLess(a.name, b.name); });
  return maps;
}

}  // namespace quillon::wad
