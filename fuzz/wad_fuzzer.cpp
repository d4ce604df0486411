// The WAD reader over arbitrary bytes, in memory and from a file: it never reads outside
// the input, what it accepts is consistent with the bytes, and both ways agree. The map
// names it finds feed the tooltip text and the warp conversion.
//
// The first input byte says how long the file is. Even: the rest is the whole file. Odd: the
// next 5 bytes (little-endian) are a length of zeros after the rest, as in a sparse file, so a
// small input can be a file of up to 64 GiB and a header's huge counts and offsets can fit.

#include <algorithm>
#include <filesystem>
#include <set>

#include "IniModel.h"
#include "core/wad/MapNames.h"
#include "core/wad/WadDescription.h"
#include "core/wad/WadReader.h"

namespace {

using namespace quillon;
using namespace quillon::wad;
using fuzz::Check;

bool IsNumberForm(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](char c) { return c == ' ' || (c >= '0' && c <= '9'); });
}

void CheckAccepted(const WadReadResult& result, std::uint64_t size) {
  const WadDirectory& wad = result.directory;
  Check(result.bytesRead == 12 + 16 * wad.lumps.size(), "only header and directory read");
  // The directory may overlap the header, so only the directory itself must fit.
  Check(16 * wad.lumps.size() <= size, "directory within the file");
  for (const Lump& lump : wad.lumps) {
    Check(lump.name.size() <= 8 && lump.name.find('\0') == std::string::npos, "lump name");
    Check(lump.size == 0 || std::uint64_t{lump.offset} + lump.size <= size, "lump in file");
  }
  std::set<std::string> names;
  for (const MapInfo& map : wad.maps) {
    Check(ParseMapName(map.name).has_value(), "a map's name is a map name");
    Check(names.insert(map.name).second, "each map once");
    Check(IsNumberForm(WarpArgument(map.name)), "a map name warps by number");
  }
  Check(std::is_sorted(
            wad.maps.begin(), wad.maps.end(),
            [](const MapInfo& a, const MapInfo& b) { return MapOrderLess(a.name, b.name); }),
        "maps in order");
}

struct FuzzFile {
  std::string bytes;
  std::uint64_t size = 0;  // the bytes, then zeros
};

FuzzFile Split(const std::uint8_t* data, std::size_t length) {
  if (length == 0) return {};
  const bool sparse = (data[0] & 1) != 0 && length >= 6;
  const std::size_t skip = sparse ? 6 : 1;
  FuzzFile file{std::string(reinterpret_cast<const char*>(data) + skip, length - skip), 0};
  std::uint64_t hole = 0;
  for (std::size_t i = 5; sparse && i >= 1; --i) hole = (hole << 8) | data[i];
  file.size = file.bytes.size() + hole % (std::uint64_t{1} << 36);
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t length) {
  const FuzzFile file = Split(bytes, length);
  const std::string& input = file.bytes;
  const std::uint64_t size = file.size;
  MemorySource source(input, size);
  const WadReadResult result = ReadWad(source);
  Check(result.fileSize == size, "file size");
  Check(result.directory.lumps.size() <= static_cast<std::size_t>(kMaxLumps), "lump cap");
  Check(result.bytesRead <= 12 + 16 * std::uint64_t{kMaxLumps}, "bounded read");
  Check(result.Ok() == result.detail.empty(), "a detail exactly for a broken file");
  if (result.Ok()) {
    CheckAccepted(result, size);
  } else {
    Check(result.directory.lumps.empty() && result.directory.maps.empty(), "nothing trusted");
  }

  const std::string path = (fuzz::ScratchDirectory() / "input.wad").string();
  fuzz::WriteBytes(path, input, false);
  std::filesystem::resize_file(path, size);  // a hole: no memory or disk however long
  const WadReadResult fromFile = ReadWadFile(path);
  Check(fromFile.status == result.status && fromFile.bytesRead == result.bytesRead &&
            fromFile.directory.lumps.size() == result.directory.lumps.size() &&
            fromFile.directory.maps.size() == result.directory.maps.size(),
        "file and memory agree");

  const FileDescription description = DescribeFile(path, result);
  Check(!description.text.empty() && description.broken == !result.Ok(), "description");

  // The warp box takes any text; the conversion leaves anything but a map name alone.
  const std::string typed = input.substr(0, 16);
  const std::string argument = WarpArgument(typed);
  Check(argument == typed || (IsNumberForm(argument) && argument.size() < typed.size()),
        "warp text: as typed, or the shorter number form of a map name");
  return 0;
}
