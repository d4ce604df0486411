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
