#include "schemes/SchemeFormat.h"

#include <filesystem>

#include "settings/ConfigLayout.h"
#include "settings/NumberConversion.h"
#include "shell/PathHelpers.h"

namespace quillon {

namespace {
const char* Bit(bool on) { return on ? "1" : "0"; }
}  // namespace

std::string SchemeSectionName(std::string_view path) {
  return FileNameOf(path) + std::string(kSchemeSectionSuffix);
}

std::vector<std::string> SchemeTemplateLines(std::string_view section) {
  std::string header(1, '[');
  header.append(section).append(1, ']');
  return {header,
          "Port=",
          "IWAD=",
          "Params=",
          "ExitOnTest=0",
          "Warp=0",
          "WarpTo=1",
          "NoMonsters=0",
          "NoMusic=0",
          "NoSound=0",
          "NoCD=0",
          "OpenGL=0",
          "UseFiles=0",
          "NumFiles=0",
          ""};
}

bool WriteScheme(ReadWrite& schemeFile, const std::string& path, const SchemeOptions& options) {
  schemeFile.SetFileName(path);
  const std::string section = SchemeSectionName(path);
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    try {
      schemeFile.Create(SchemeTemplateLines(section));
    } catch (const IniWriteError&) {
      return false;
    }
  }
  const auto save = [&](std::string_view key, std::string_view value) {
    schemeFile.Save(section, key, value);
  };
  save(scheme::kPort, options.port);
  save(scheme::kIWAD, options.iwad);
  save(scheme::kParams, options.params);
  save(scheme::kExitOnTest, Bit(options.exitOnTest));
  save(scheme::kWarp, Bit(options.warp));
  save(scheme::kWarpTo, options.warpTo);
  save(scheme::kNoMonsters, Bit(options.noMonsters));
  save(scheme::kNoMusic, Bit(options.noMusic));
  save(scheme::kNoSound, Bit(options.noSound));
  save(scheme::kNoCD, Bit(options.noCD));
  save(scheme::kOpenGL, Bit(options.openGL));
  save(scheme::kUseFiles, Bit(options.useFiles));
  const int count = static_cast<int>(options.files.size());
  save(scheme::kNumFiles, std::to_string(count));
  const ListKind& files = KindOf(ListId::Files);
  for (int n = 1; n <= count; ++n) {
    const CustomFile& file = options.files[static_cast<std::size_t>(n - 1)];
    save(NameKey(files, n), file.name);
    save(FileKey(files, n), file.location);
  }
  return true;
}

SchemeReader::SchemeReader(ReadWrite& schemeFile, const std::string& path)
    : file_(schemeFile), section_(SchemeSectionName(path)) {
  file_.SetFileName(path);
}

std::string SchemeReader::Text(std::string_view key) const { return file_.Load(section_, key); }

std::optional<bool> SchemeReader::Flag(std::string_view key) const {
  const auto value = Number(key);
  if (!value) return std::nullopt;
  return *value != 0;
}

std::optional<std::int16_t> SchemeReader::Number(std::string_view key) const {
  return ToInt16(Text(key));
}

}  // namespace quillon
